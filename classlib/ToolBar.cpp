#include "classlib/ToolBar.h"
#include "classlib/WinApp.h"

BOOL CToolBarResource::Load(HINSTANCE inst, UINT id)
{
    ids.clear();
    HRSRC res = ::FindResourceA(inst, MAKEINTRESOURCEA(id), RT_TOOLBAR);
    if (!res)
        return FALSE;
    DWORD size = ::SizeofResource(inst, res);
    HGLOBAL mem = ::LoadResource(inst, res);
    const WORD* data = mem ? (const WORD*)::LockResource(mem) : nullptr;
    if (!data || size < 8)
        return FALSE;
    version = data[0];
    width = data[1];
    height = data[2];
    WORD count = data[3];
    if (version != 1 || size < 8u + 2u * count)
        return FALSE;
    ids.assign(data + 4, data + 4 + count);
    return TRUE;
}

BOOL CToolBar::Create(CWnd* parent, DWORD style, UINT id)
{
    DWORD windowStyle = (style & 0xFFFF0000) | TBSTYLE_FLAT | CCS_NODIVIDER;
    if (style & CBRS_ALIGN_TOP)
        windowStyle |= CCS_TOP;
    HWND parentWnd = parent ? parent->GetSafeHwnd() : ::GetDesktopWindow();
    if (!(windowStyle & WS_CHILD))
        parentWnd = nullptr;
    CWnd* owner = CWnd::FromHandle(parentWnd);
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAMEA, nullptr, windowStyle, CRect(), owner, id))
        return FALSE;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    return TRUE;
}

BOOL CToolBar::LoadToolBar(UINT id)
{
    CToolBarResource res;
    if (!IsWindow() || !res.Load(AfxGetResourceHandle(), id))
        return FALSE;
    m_sizeImage = CSize(res.width, res.height);
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(res.width, res.height));
    int images = 0;
    for (WORD cmd : res.ids)
        if (cmd) ++images;
    TBADDBITMAP bmp = { AfxGetResourceHandle(), id };
    if (images && SendMessage(TB_ADDBITMAP, images, (LPARAM)&bmp) < 0)
        return FALSE;
    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (WORD cmd : res.ids) {
        TBBUTTON b = {};
        b.idCommand = cmd;
        b.fsState = TBSTATE_ENABLED;
        b.fsStyle = cmd ? BTNS_BUTTON : BTNS_SEP;
        b.iBitmap = cmd ? image++ : 0;
        buttons.push_back(b);
    }
    return buttons.empty() || SendMessage(TB_ADDBUTTONSA, buttons.size(), (LPARAM)buttons.data());
}

UINT CToolBar::GetItemID(int index) const
{
    TBBUTTON b = {};
    if (!SendMessage(TB_GETBUTTON, index, (LPARAM)&b))
        return 0;
    return (UINT)b.idCommand;
}
