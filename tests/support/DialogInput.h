// Typing into an edit and choosing in a combo box of a page, as a person
// does, and reading what a combo box offers.  A base of the fixtures whose
// tests drive pages with edits and combo boxes.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "classlib/ClassLib.h"

namespace kqtest {

struct DialogInput {
    // Replaces an edit's text by typing (a select-all first).
    static void Type(CWnd* page, UINT id, const std::string& text)
    {
        HWND edit = GetDlgItem(page->m_hWnd, id);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        SendMessageA(edit, WM_CHAR, VK_BACK, 0);
        for (char c : text) SendMessageA(edit, WM_CHAR, (BYTE)c, 0);
        PumpInput();
    }
    // What a control shows and whether it shows, takes input, is checked.
    static std::string TextOf(CWnd* page, UINT id)
    {
        char buf[300] = {};
        GetDlgItemTextA(page->m_hWnd, id, buf, sizeof(buf));
        return buf;
    }
    static bool Visible(CWnd* page, UINT id) { return IsWindowVisible(GetDlgItem(page->m_hWnd, id)) != FALSE; }
    static bool Enabled(CWnd* page, UINT id) { return IsWindowEnabled(GetDlgItem(page->m_hWnd, id)) != FALSE; }
    static bool Checked(CWnd* page, UINT id)
    {
        return SendMessageA(GetDlgItem(page->m_hWnd, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    // The items of a combo box.
    static std::vector<std::string> ComboItems(CWnd* page, UINT id)
    {
        std::vector<std::string> out;
        HWND combo = GetDlgItem(page->m_hWnd, id);
        int n = (int)SendMessageA(combo, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; ++i) out.push_back(ItemText(combo, i));
        return out;
    }
    static std::string ComboSelection(CWnd* page, UINT id)
    {
        HWND combo = GetDlgItem(page->m_hWnd, id);
        int sel = (int)SendMessageA(combo, CB_GETCURSEL, 0, 0);
        return sel < 0 ? std::string() : ItemText(combo, sel);
    }
    // Picks an item of a combo box as a click in its list does.
    static bool PickComboItem(CWnd* page, UINT id, const std::string& text)
    {
        HWND combo = GetDlgItem(page->m_hWnd, id);
        int i = (int)SendMessageA(combo, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)text.c_str());
        if (i < 0) return false;
        SendMessageA(combo, CB_SETCURSEL, i, 0);
        SendMessageA(page->m_hWnd, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), (LPARAM)combo);
        PumpInput();
        return true;
    }

private:
    // An item's text, however long it is.
    static std::string ItemText(HWND combo, int i)
    {
        int len = (int)SendMessageA(combo, CB_GETLBTEXTLEN, i, 0);
        if (len <= 0) return "";
        std::string text(len + 1, '\0');
        SendMessageA(combo, CB_GETLBTEXT, i, (LPARAM)&text[0]);
        text.resize(std::strlen(text.c_str()));
        return text;
    }
    static void PumpInput()
    {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    }
};

}  // namespace kqtest
