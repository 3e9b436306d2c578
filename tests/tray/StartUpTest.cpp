// The controller's start in this process on the installed adapter: the
// authentication lines emptied under the lock their writers take, and the
// WPS button left to the WPS page of a window that opens at the start.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "app/HideDlg.h"
#include "auth/AuthLogRing.h"
#include "core/ControllerDoor.h"
#include "mainwnd/ConfigMainDlg.h"
#include "pages/WpsPage.h"
#include "resource.h"
#include "support/ImportHook.h"
#include "tray/AdapterFixture.h"

namespace {

class StartUp : public kqtest::DefaultAdapterTest {
protected:
    void TearDown() override
    {
        if (m_dlg.m_hWnd) {
            m_dlg.m_bSwitchedToAp = TRUE;   // leave the adapter key's Default copy alone
            m_dlg.DestroyWindow();
        }
        kqtest::DefaultAdapterTest::TearDown();
    }
    CHideDlg m_dlg;
};

// The ring's lock as this thread takes and leaves it, and what its line 0
// held meanwhile: an emptying of the ring is seen inside the lock or outside.
namespace ring {
CRITICAL_SECTION* g_lock = nullptr;
DWORD g_thread = 0;
std::atomic<bool> g_learn{ false };
bool g_heldAtEnter = false, g_clearedInside = false, g_clearedOutside = false;
const char kSentinel[] = "sentinel";
typedef void(WINAPI* CsFn)(CRITICAL_SECTION*);
// The system's own functions: other threads may still pass through the
// replacements when the hooks are gone.
CsFn SystemFunction(const char* name)
{
    return reinterpret_cast<CsFn>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name));
}
const CsFn g_realEnter = SystemFunction("EnterCriticalSection");
const CsFn g_realLeave = SystemFunction("LeaveCriticalSection");

bool SentinelThere() { return std::strcmp(g_AuthLogRing.lines[0], kSentinel) == 0; }

void WINAPI Enter(CRITICAL_SECTION* cs)
{
    if (g_learn && GetCurrentThreadId() == g_thread) {
        g_lock = cs;
        g_learn = false;
    }
    g_realEnter(cs);
    if (cs == g_lock && GetCurrentThreadId() == g_thread) {
        g_heldAtEnter = SentinelThere();
        if (!g_heldAtEnter && !g_clearedInside) g_clearedOutside = true;
    }
}

void WINAPI Leave(CRITICAL_SECTION* cs)
{
    if (cs == g_lock && GetCurrentThreadId() == g_thread && g_heldAtEnter && !SentinelThere())
        g_clearedInside = true;
    g_realLeave(cs);
}
}  // namespace ring

// The start empties the lines while the library's threads may write them
// already: under the lock they write under.
TEST_F(StartUp, TheAuthenticationLinesAreEmptiedUnderTheirLock)
{
    kqtest::ImportHook enter("EnterCriticalSection", reinterpret_cast<void*>(&ring::Enter));
    kqtest::ImportHook leave("LeaveCriticalSection", reinterpret_cast<void*>(&ring::Leave));
    ASSERT_TRUE(enter.ok());
    ASSERT_TRUE(leave.ok());
    ring::g_thread = GetCurrentThreadId();
    ring::g_lock = nullptr;
    // Reading a line takes the lock: that is how the hook learns which it is.
    char line[AUTH_LOG_LINE_SIZE];
    ring::g_learn = true;
    ReadAuthLogLine(0, line, sizeof(line));
    ring::g_learn = false;
    ASSERT_NE(nullptr, ring::g_lock);
    // A line written before the start, at 0; the lines after it go on from 1.
    ClearAuthLogRing();
    AppendAuthLogLine(ring::kSentinel);
    ASSERT_TRUE(ring::SentinelThere());
    ring::g_clearedInside = ring::g_clearedOutside = false;

    m_dlg.m_bShowOnStart = FALSE;
    ASSERT_TRUE(m_dlg.Create(IDD_HIDE_DLG));
    m_dlg.KillAllTimers();
    ASSERT_FALSE(ring::SentinelThere()) << "the start empties the lines";
    EXPECT_TRUE(ring::g_clearedInside);
    EXPECT_FALSE(ring::g_clearedOutside) << "emptied while a writer could be in the middle of a line";
    ring::g_lock = nullptr;
}

// Started with the window, the controller leaves the WPS button to the WPS
// page until the window closes.
TEST_F(StartUp, WithTheWindowOpenTheWpsPageAloneWatchesTheButton)
{
    m_dlg.m_bShowOnStart = TRUE;
    ASSERT_TRUE(m_dlg.Create(IDD_HIDE_DLG));
    ASSERT_TRUE(m_dlg.m_bAdapterFound);
    CConfigMainDlg* w = m_dlg.OpenedMainWindow();
    ASSERT_NE(nullptr, w);
    ASSERT_TRUE(w->m_pWpsPage && w->m_pWpsPage->m_hWnd);
    EXPECT_FALSE(KillTimer(m_dlg.m_hWnd, IDT_WPS_BUTTON)) << "the controller watches the button beside the page";
    EXPECT_TRUE(KillTimer(w->m_pWpsPage->m_hWnd, IDT_WPS_PAGE_BUTTON));
    m_dlg.DestroyMainWindow();
    EXPECT_TRUE(KillTimer(m_dlg.m_hWnd, IDT_WPS_BUTTON)) << "the controller has its watch back";
    m_dlg.KillAllTimers();
}

}  // namespace
