// The controller made in this process on the installed default adapter,
// with the adapter, the air, the current profile and the port put back after
// each test.
#pragma once

#include <gtest/gtest.h>

#include "auth/SupplicantBinding.h"
#include "core/HideDlg.h"
#include "core/StateQuery.h"
#include "core/StationConfig.h"
#include "resource.h"
#include "support/Restore.h"
#include "tray/AdapterFixture.h"

namespace kqtest {

class ControllerHereTest : public DefaultAdapterTest {
protected:
    void SetUp() override
    {
        DefaultAdapterTest::SetUp();
        if (HasFatalFailure()) return;
        m_dlg.m_bShowOnStart = FALSE;
        ASSERT_TRUE(m_dlg.Create(IDD_HIDE_DLG));
        ASSERT_TRUE(m_dlg.m_bAdapterFound);
    }
    void TearDown() override
    {
        if (m_dlg.m_hWnd) {
            // Leave the adapter key's Default copy alone in these tests.
            m_dlg.m_bSwitchedToAp = TRUE;
            m_dlg.DestroyWindow();
        }
        if (g_pCurProfile) {
            FreeStationConfig(g_pCurProfile);
            g_pCurProfile = nullptr;
        }
        DefaultAdapterTest::TearDown();
    }
    LRESULT State(int what) { return m_dlg.SendMessage(WM_KQ_QUERY_STATE, what); }

    Restore<int> m_port{g_hAuthPort};
    CHideDlg m_dlg;
};

}  // namespace kqtest
