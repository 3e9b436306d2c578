// Driver events through WMI.  Wine accepts the subscription but never
// delivers an event, so the tests hand the sink event objects of their own,
// from another thread as WMI would.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "core/AdapterDiscovery.h"
#include "app/HideDlg.h"
#include "core/Oids.h"
#include "core/WlanEvents.h"
#include "resource.h"
#include "sim/client/SimTestSupport.h"
#include "support/Restore.h"
#include "tray/AdapterFixture.h"
#include "tray/ControllerFixture.h"
#include "tray/KestiqProcess.h"

namespace {

const std::string kGuid = kqsim::kDefaultAdapterGuid;

// An event object: its "__CLASS" is the given name; an empty name makes Get fail.
class CFakeEvent : public IWbemClassObject {
public:
    explicit CFakeEvent(const wchar_t* cls) : m_cls(cls) {}
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override
    {
        if (riid == IID_IUnknown || riid == IID_IWbemClassObject) {
            *ppv = this;
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP Get(LPCWSTR name, LONG, VARIANT* v, CIMTYPE*, LONG*) override
    {
        ++gets;
        if (!*m_cls || lstrcmpW(name, L"__CLASS") != 0) return WBEM_E_NOT_FOUND;
        v->vt = VT_BSTR;
        v->bstrVal = SysAllocString(m_cls);
        return WBEM_S_NO_ERROR;
    }
    STDMETHODIMP GetQualifierSet(IWbemQualifierSet**) override { return E_NOTIMPL; }
    STDMETHODIMP Put(LPCWSTR, LONG, VARIANT*, CIMTYPE) override { return E_NOTIMPL; }
    STDMETHODIMP Delete(LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP GetNames(LPCWSTR, LONG, VARIANT*, SAFEARRAY**) override { return E_NOTIMPL; }
    STDMETHODIMP BeginEnumeration(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP Next(LONG, BSTR*, VARIANT*, CIMTYPE*, LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP EndEnumeration() override { return E_NOTIMPL; }
    STDMETHODIMP GetPropertyQualifierSet(LPCWSTR, IWbemQualifierSet**) override { return E_NOTIMPL; }
    STDMETHODIMP Clone(IWbemClassObject**) override { return E_NOTIMPL; }
    STDMETHODIMP GetObjectText(LONG, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP SpawnDerivedClass(LONG, IWbemClassObject**) override { return E_NOTIMPL; }
    STDMETHODIMP SpawnInstance(LONG, IWbemClassObject**) override { return E_NOTIMPL; }
    STDMETHODIMP CompareTo(LONG, IWbemClassObject*) override { return E_NOTIMPL; }
    STDMETHODIMP GetPropertyOrigin(LPCWSTR, BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP InheritsFrom(LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP GetMethod(LPCWSTR, LONG, IWbemClassObject**, IWbemClassObject**) override { return E_NOTIMPL; }
    STDMETHODIMP PutMethod(LPCWSTR, LONG, IWbemClassObject*, IWbemClassObject*) override { return E_NOTIMPL; }
    STDMETHODIMP DeleteMethod(LPCWSTR) override { return E_NOTIMPL; }
    STDMETHODIMP BeginMethodEnumeration(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP NextMethod(LONG, BSTR*, IWbemClassObject**, IWbemClassObject**) override { return E_NOTIMPL; }
    STDMETHODIMP EndMethodEnumeration() override { return E_NOTIMPL; }
    STDMETHODIMP GetMethodQualifierSet(LPCWSTR, IWbemQualifierSet**) override { return E_NOTIMPL; }
    STDMETHODIMP GetMethodOrigin(LPCWSTR, BSTR*) override { return E_NOTIMPL; }

    int gets = 0;

private:
    const wchar_t* m_cls;
};

// Hands a batch to the sink on a thread of its own, as WMI's would.
HRESULT Deliver(IWbemObjectSink* sink, std::vector<IWbemClassObject*> batch)
{
    HRESULT hr = E_FAIL;
    std::thread t([&] { hr = sink->Indicate((LONG)batch.size(), batch.data()); });
    t.join();
    return hr;
}

// A message-only window that counts the event messages posted to it.
class CEventCounter {
public:
    CEventCounter()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KqWmiEventCounter";
        RegisterClassA(&wc);
        m_hwnd = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, (LONG_PTR)this);
    }
    ~CEventCounter() { DestroyWindow(m_hwnd); }
    HWND Hwnd() const { return m_hwnd; }
    // Handles what is queued and returns the events counted since the last call.
    int Take()
    {
        MSG m;
        while (PeekMessageA(&m, m_hwnd, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
        int n = m_count;
        m_count = 0;
        return n;
    }

private:
    static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l)
    {
        CEventCounter* self = (CEventCounter*)GetWindowLongPtrA(h, GWLP_USERDATA);
        if (msg == WM_APP_WMI_EVENT && self && w == 0 && l == 0) ++self->m_count;
        return DefWindowProcA(h, msg, w, l);
    }
    HWND m_hwnd = nullptr;
    int m_count = 0;
};

TEST(WmiWatcher, SubscribesUnderWineAndPostsOneMessagePerMatchingEvent)
{
    CEventCounter counter;
    CWlanEventWatcher watcher;
    watcher.SetNotifyWindow(counter.Hwnd());
    ASSERT_TRUE(watcher.Connect()) << "locator, ROOT\\WMI and the notification query";
    ASSERT_TRUE(watcher.IsConnected());
    IWbemObjectSink* sink = watcher.GetSink();
    ASSERT_NE(nullptr, sink);

    CFakeEvent ev(L"ObWLANMessageEvent"), other(L"MSNdis_StatusMediaConnect"), similar(L"ObWLANMessageEvents"),
        broken(L"");
    EXPECT_EQ(WBEM_S_NO_ERROR, Deliver(sink, {&ev, &ev, &ev}));
    EXPECT_EQ(3, counter.Take());
    EXPECT_EQ(WBEM_S_NO_ERROR, Deliver(sink, {&other, &similar}));
    EXPECT_EQ(0, counter.Take()) << "events of another class post nothing";
    // An object whose class cannot be read ends the batch.
    EXPECT_EQ(WBEM_S_NO_ERROR, Deliver(sink, {&ev, &broken, &ev}));
    EXPECT_EQ(1, counter.Take());
    EXPECT_EQ(WBEM_S_NO_ERROR, Deliver(sink, {&ev, nullptr, &ev}));
    EXPECT_EQ(1, counter.Take());
    EXPECT_EQ(WBEM_S_NO_ERROR, sink->SetStatus(0, S_OK, nullptr, nullptr));
    EXPECT_EQ(0, counter.Take());

    // The sink answers for its two interfaces only.
    void* p = nullptr;
    EXPECT_EQ(S_OK, sink->QueryInterface(IID_IWbemObjectSink, &p));
    EXPECT_EQ(sink, p);
    sink->Release();
    EXPECT_EQ(E_NOINTERFACE, sink->QueryInterface(IID_IWbemClassObject, &p));
    EXPECT_EQ(nullptr, p);

    watcher.Disconnect();
    EXPECT_FALSE(watcher.IsConnected());
    EXPECT_EQ(nullptr, watcher.GetSink());
    watcher.Disconnect();   // a second time does nothing
}

// The controller made in this process: each event re-reads the driver's
// ICV-error state into the flag the icon shows.
class ControllerEvents : public kqtest::QuietControllerTest {
protected:
    // Delivers n matching events and handles what they posted; returns the
    // ICV-error queries the driver received meanwhile.
    int Events(int n)
    {
        DWORD from = 0;
        m_sim.NextSeq(from);
        CFakeEvent ev(L"ObWLANMessageEvent");
        std::vector<IWbemClassObject*> batch(n, &ev);
        EXPECT_EQ(WBEM_S_NO_ERROR, Deliver(m_dlg.m_EventWatcher.GetSink(), batch));
        MSG m;
        while (PeekMessageA(&m, m_dlg.m_hWnd, WM_APP_WMI_EVENT, WM_APP_WMI_EVENT, PM_REMOVE)) DispatchMessageA(&m);
        int queries = 0;
        for (const kqsim::LogEntry& e : kqsim::AdapterLog(m_sim, kGuid, from))
            if (e.kind == KQSIM_LOG_QUERY && e.BaseOid() == OID_VENDOR_ICV_ERROR) ++queries;
        return queries;
    }

    kqtest::Restore<BOOL> m_icv{g_bIcvError}, m_legacy{g_bLegacyModel};
};

TEST_F(ControllerEvents, EachEventReReadsTheIcvError)
{
    EXPECT_TRUE(m_dlg.m_EventWatcher.IsConnected()) << "the controller subscribed at start";
    ASSERT_FALSE(g_bLegacyModel);
    ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_ICV_ERROR, 1));
    g_bIcvError = FALSE;
    EXPECT_EQ(3, Events(3));
    EXPECT_TRUE(g_bIcvError);
    ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_ICV_ERROR, 0));
    EXPECT_EQ(1, Events(1));
    EXPECT_FALSE(g_bIcvError);
}

TEST_F(ControllerEvents, OnALegacyModelTheFlagStaysWithTheWepCheck)
{
    g_bLegacyModel = TRUE;
    ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_ICV_ERROR, 1));
    g_bIcvError = FALSE;
    EXPECT_EQ(2, Events(2));
    EXPECT_FALSE(g_bIcvError);
    g_bIcvError = TRUE;
    ASSERT_TRUE(m_sim.SetParam(kGuid, KQSIM_PARAM_ICV_ERROR, 0));
    EXPECT_EQ(1, Events(1));
    EXPECT_TRUE(g_bIcvError);
}

// Kestiq.exe with WMI's provider switched off in Wine: it runs on, shows no
// message and still polls the adapter.
class WithoutWmi : public kqtest::DefaultAdapterTest {
protected:
    void SetUp() override
    {
        DefaultAdapterTest::SetUp();
        char saved[512] = {};
        m_hadOverrides = GetEnvironmentVariableA("WINEDLLOVERRIDES", saved, sizeof(saved)) > 0;
        m_savedOverrides = saved;
        std::string overrides = m_savedOverrides.empty() ? "wbemprox=d" : m_savedOverrides + ";wbemprox=d";
        SetEnvironmentVariableA("WINEDLLOVERRIDES", overrides.c_str());
    }
    void TearDown() override
    {
        m_kestiq.Stop();
        SetEnvironmentVariableA("WINEDLLOVERRIDES", m_hadOverrides ? m_savedOverrides.c_str() : nullptr);
        DefaultAdapterTest::TearDown();
    }
    kqtest::KestiqProcess m_kestiq;
    bool m_hadOverrides = false;
    std::string m_savedOverrides;
};

TEST_F(WithoutWmi, TheProgramRunsOnWithoutAMessage)
{
    ASSERT_TRUE(m_kestiq.Start(kqtest::BuiltProgram(), "-s"));
    ASSERT_TRUE(m_kestiq.WaitReady());
    // The watcher starts after the icon is added: once a timer event has
    // been handled, the start is over and a box would show.
    m_kestiq.Tick();
    EXPECT_EQ(nullptr, kqtest::FindProcessWindow(m_kestiq.Pid(), "Kestiq")) << "no message box";
    EXPECT_EQ(IDI_TRAY_DISCONNECT, m_kestiq.Icon());
    EXPECT_TRUE(m_kestiq.Running());
}

}  // namespace
