// Driver events through WMI.
#include "core/WlanEvents.h"

#include <cwchar>

#include "core/AdapterDiscovery.h"
#include "core/LinkState.h"
#include "core/OidChannel.h"

namespace {

const wchar_t kNamespace[] = L"ROOT\\WMI";
const wchar_t kQueryLanguage[] = L"WQL";
const wchar_t kEventQuery[] = L"SELECT * FROM ObWLANMessageEvent";
const wchar_t kEventClass[] = L"ObWLANMessageEvent";

// A BSTR that frees itself.
class CBstr {
public:
    explicit CBstr(const wchar_t* text) : m_b(SysAllocString(text)) {}
    ~CBstr() { SysFreeString(m_b); }
    CBstr(const CBstr&) = delete;
    CBstr& operator=(const CBstr&) = delete;
    operator BSTR() const { return m_b; }
private:
    BSTR m_b;
};

}  // namespace

// ---- The sink -----------------------------------------------------------------

STDMETHODIMP CWmiEventSink::QueryInterface(REFIID riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IWbemObjectSink) {
        *ppv = static_cast<IWbemObjectSink*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) CWmiEventSink::AddRef()
{
    return (ULONG)InterlockedIncrement(&m_nRef);
}

// The object is deleted by its watcher, never here.
STDMETHODIMP_(ULONG) CWmiEventSink::Release()
{
    return (ULONG)InterlockedDecrement(&m_nRef);
}

STDMETHODIMP CWmiEventSink::Indicate(LONG count, IWbemClassObject** objects)
{
    if (!objects) return WBEM_S_NO_ERROR;
    for (LONG i = 0; i < count; ++i) {
        IWbemClassObject* object = objects[i];
        if (!object) break;
        VARIANT cls;
        VariantInit(&cls);
        if (FAILED(object->Get(L"__CLASS", 0, &cls, nullptr, nullptr))) break;
        if (cls.vt == VT_BSTR && cls.bstrVal && std::wcscmp(cls.bstrVal, kEventClass) == 0) {
            HWND notify = m_hNotifyWnd;
            if (notify) PostMessageA(notify, WM_APP_WMI_EVENT, 0, 0);
        }
        VariantClear(&cls);
    }
    return WBEM_S_NO_ERROR;
}

STDMETHODIMP CWmiEventSink::SetStatus(LONG, HRESULT, BSTR, IWbemClassObject*)
{
    return WBEM_S_NO_ERROR;
}

// ---- The watcher ----------------------------------------------------------------

CWlanEventWatcher::CWlanEventWatcher() : m_pSink(new CWmiEventSink) {}

CWlanEventWatcher::~CWlanEventWatcher()
{
    Disconnect();
}

void CWlanEventWatcher::SetNotifyWindow(HWND hwnd)
{
    m_hNotifyWnd = hwnd;
}

BOOL CWlanEventWatcher::Connect()
{
    if (m_bConnected) return TRUE;
    if (!m_pSink) return FALSE;
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return FALSE;

    HRESULT hr = CoInitializeSecurity(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_PKT_PRIVACY,
                                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_SECURE_REFS, nullptr);
    // Security is set once per process: a second watcher finds it in place.
    if (hr == RPC_E_TOO_LATE) hr = S_OK;
    if (SUCCEEDED(hr))
        hr = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                              (void**)&m_pLocator);
    if (SUCCEEDED(hr)) {
        CBstr ns(kNamespace);
        hr = m_pLocator->ConnectServer(ns, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &m_pServices);
    }
    if (SUCCEEDED(hr)) {
        m_pSink->SetNotifyWindow(m_hNotifyWnd);
        CBstr language(kQueryLanguage), query(kEventQuery);
        hr = m_pServices->ExecNotificationQueryAsync(language, query, 0, nullptr, m_pSink);
    }
    if (FAILED(hr)) {
        if (m_pServices) m_pServices->Release();
        if (m_pLocator) m_pLocator->Release();
        m_pServices = nullptr;
        m_pLocator = nullptr;
        CoUninitialize();
        return FALSE;
    }
    m_bConnected = TRUE;
    return TRUE;
}

void CWlanEventWatcher::Disconnect()
{
    if (m_bConnected) {
        m_pServices->CancelAsyncCall(m_pSink);
        m_pSink->Release();
        m_pServices->Release();
        m_pLocator->Release();
        m_pServices = nullptr;
        m_pLocator = nullptr;
        CoUninitialize();
        m_bConnected = FALSE;
    }
    delete m_pSink;
    m_pSink = nullptr;
}

void CWlanEventWatcher::OnWlanEvent()
{
    DWORD icv = 0;
    QueryOid(OID_VENDOR_ICV_ERROR, &icv, sizeof(icv), nullptr);
    // Legacy models have no such event: the link poll's WEP check owns the flag.
    if (!g_bLegacyModel) g_bIcvError = (icv & 1) != 0;
}
