// The adapter selection dialog with its owner-drawn card list, over devices
// that exist only in a device information list of the test (never registered).
#include <gtest/gtest.h>

#include <windows.h>
#include <devguid.h>
#include <setupapi.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "Pixels.h"
#include "mainwnd/SelectAdapterDlg.h"
#include "resource.h"

namespace {

struct Card {
    const char* friendlyName;   // null: none
    const char* description;
    const char* hardwareIds;    // a multi-string, "\0"-separated
    size_t hardwareIdsSize;
    const char* location;
    const char* maker;
};

// A device information list with one phantom device per card.
class PhantomCards {
public:
    explicit PhantomCards(const std::vector<Card>& cards)
    {
        set = SetupDiCreateDeviceInfoList(&GUID_DEVCLASS_NET, nullptr);
        for (size_t i = 0; i < cards.size(); ++i) {
            SP_DEVINFO_DATA dev = {sizeof(dev)};
            std::string name = "KQTESTCARD" + std::to_string(i);
            if (!SetupDiCreateDeviceInfoA(set, name.c_str(), &GUID_DEVCLASS_NET, nullptr, nullptr, DICD_GENERATE_ID, &dev))
                continue;
            const Card& c = cards[i];
            auto put = [&](DWORD prop, const char* text, size_t size) {
                if (text) SetupDiSetDeviceRegistryPropertyA(set, &dev, prop, (const BYTE*)text, (DWORD)size);
            };
            put(SPDRP_FRIENDLYNAME, c.friendlyName, c.friendlyName ? strlen(c.friendlyName) + 1 : 0);
            put(SPDRP_DEVICEDESC, c.description, strlen(c.description) + 1);
            put(SPDRP_HARDWAREID, c.hardwareIds, c.hardwareIdsSize);
            put(SPDRP_LOCATION_INFORMATION, c.location, strlen(c.location) + 1);
            put(SPDRP_MFG, c.maker, strlen(c.maker) + 1);
            ++count;
        }
    }
    ~PhantomCards() { SetupDiDestroyDeviceInfoList(set); }
    HDEVINFO set = INVALID_HANDLE_VALUE;
    int count = 0;
};

std::string TextOf(HWND w)
{
    char buf[512] = "";
    SendMessageA(w, WM_GETTEXT, sizeof(buf), (LPARAM)buf);
    return buf;
}

TEST(SelectAdapterDialog, ListsTheCardsInItsIconComboBoxAndReturnsTheChosenIndex)
{
    static const char kIds0[] = "PCI\\VEN_1814&DEV_0601\0PCI\\VEN_1814\0";
    static const char kIds1[] = "USB\\VID_148F&PID_2870\0";
    PhantomCards cards({
        {nullptr, "Tolvane 802.11n PCI Adapter", kIds0, sizeof(kIds0), "PCI bus 2, device 0, function 0", "Tolvane"},
        {"Tolvane USB Stick #2", "Tolvane 802.11n USB Adapter", kIds1, sizeof(kIds1), "Port_#0003.Hub_#0001", "Tolvane"},
    });
    ASSERT_EQ(2, cards.count);

    CSelectAdapterDlg dlg;
    dlg.SetDeviceInfoSet(cards.set);
    dlg.m_arrDeviceIndex.Add(1);   // discovery order differs from the set's order
    dlg.m_arrDeviceIndex.Add(0);

    std::atomic<bool> done{false};
    std::vector<std::string> items, edits, editsAfter;
    bool ownerDrawn = false, painted = false;
    // The user's waits, on a thread of its own, are bounded in time.
    auto until = [](auto holds) {
        for (DWORD start = GetTickCount(); !holds() && GetTickCount() - start < 30000;) Sleep(10);
        return holds();
    };
    std::thread user([&] {
        HWND box = nullptr;
        if (!until([&] { return (box = FindWindowA("#32770", "Select a Wireless LAN card")) != nullptr; })) return;
        until([&] { return IsWindowVisible(box) != FALSE; });
        HWND combo = GetDlgItem(box, IDC_CARD_LIST);
        ownerDrawn = (GetWindowLongA(combo, GWL_STYLE) & CBS_OWNERDRAWFIXED) != 0;
        int n = (int)SendMessageA(combo, CB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; ++i) {
            char buf[256] = "";
            SendMessageA(combo, CB_GETLBTEXT, i, (LPARAM)buf);
            items.push_back(buf);
        }
        for (int id : {IDC_CARD_DESCRIPTION, IDC_CARD_HARDWARE_ID, IDC_CARD_LOCATION, IDC_CARD_MAKER})
            edits.push_back(TextOf(GetDlgItem(box, id)));
        // the selected card's name is drawn by the list itself, in the window text colour
        // (on a busy machine the first paint may still be on its way)
        until([&] {
            Shot s = CaptureNow(combo);
            painted = s.CountInRect(CRect(0, 0, s.w - 20, s.h), GetSysColor(COLOR_WINDOWTEXT)) +
                      s.CountInRect(CRect(0, 0, s.w - 20, s.h), GetSysColor(COLOR_HIGHLIGHTTEXT)) > 20;
            return painted;
        });
        SaveShot(box, "select_adapter_dialog");
        SendMessageA(combo, CB_SETCURSEL, 1, 0);
        SendMessageA(box, WM_COMMAND, MAKEWPARAM(IDC_CARD_LIST, CBN_SELCHANGE), (LPARAM)combo);
        for (int id : {IDC_CARD_DESCRIPTION, IDC_CARD_HARDWARE_ID, IDC_CARD_LOCATION, IDC_CARD_MAKER})
            editsAfter.push_back(TextOf(GetDlgItem(box, id)));
        SaveShot(box, "select_adapter_dialog_second_card");
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(box, IDOK));
        until([&] { return done.load(); });
        if (!done && IsWindow(box)) PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    });
    INT_PTR r = dlg.DoModal();
    done = true;
    user.join();

    EXPECT_EQ(IDOK, r);
    EXPECT_TRUE(ownerDrawn);
    EXPECT_TRUE(painted);
    EXPECT_EQ((std::vector<std::string>{"Tolvane USB Stick #2", "Tolvane 802.11n PCI Adapter"}), items);
    EXPECT_EQ((std::vector<std::string>{"Tolvane 802.11n USB Adapter", "USB\\VID_148F&PID_2870", "Port_#0003.Hub_#0001",
                                        "Tolvane"}), edits);
    EXPECT_EQ((std::vector<std::string>{"Tolvane 802.11n PCI Adapter", "PCI\\VEN_1814&DEV_0601",
                                        "PCI bus 2, device 0, function 0", "Tolvane"}), editsAfter);
    EXPECT_EQ(0u, dlg.m_dwChosenIndex) << "the set's index of the second card in the list";
}

} // namespace
