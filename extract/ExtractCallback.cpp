#include "extract/ExtractCallback.h"

#include <cwchar>

#include "extract/WindowMessages.h"
#include "extract/ExtractThread.h"
#include "orelib/win32/Files.h"

namespace extract {

namespace {

// Space kept free beyond the announced total.
constexpr uint64_t kFreeSpaceMargin = 0x100000;

// SetOperationResult: what each item result makes of the run.
constexpr HRESULT kOperationResults[] = {
    S_OK,                                         // kOK
    E_NOTIMPL,                                    // kUnsupportedMethod
    static_cast<HRESULT>(kExtractCodeDataError),  // kDataError
    static_cast<HRESULT>(kExtractCodeCrcError),   // kCRCError
};

// Whether a file of `total` bytes plus the margin fits into `free` bytes,
// without letting a huge announced total wrap around.
bool FitsWithMargin(uint64_t total, uint64_t freeBytes) {
    return total <= freeBytes && freeBytes - total >= kFreeSpaceMargin;
}

}  // namespace

MyExtractCallback::MyExtractCallback(CExtractThread& owner) : m_owner(owner) {}

MyExtractCallback::~MyExtractCallback() {
    // The password must not linger in freed memory.
    SecureZeroMemory(&m_password[0], m_password.size() * sizeof(wchar_t));
}

// The declarations (STDMETHOD) say the methods throw nothing; so do the definitions.
COM_DECLSPEC_NOTHROW STDMETHODIMP MyExtractCallback::QueryInterface(REFIID iid, void** out) {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IFolderArchiveExtractCallback) {
        *out = static_cast<IFolderArchiveExtractCallback*>(this);
    } else if (iid == IID_ICryptoGetTextPassword) {
        *out = static_cast<ICryptoGetTextPassword*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

COM_DECLSPEC_NOTHROW STDMETHODIMP_(ULONG) MyExtractCallback::AddRef() { return ++m_refCount; }

COM_DECLSPEC_NOTHROW STDMETHODIMP_(ULONG) MyExtractCallback::Release() {
    const ULONG count = --m_refCount;
    if (count == 0) delete this;
    return count;
}

// --- progress ---

Z7_COM7F_IMF(MyExtractCallback::SetTotal(UInt64 total)) {
    m_owner.SetTotalBytes(total);
    // The space available to this user: a disk quota counts.
    ULARGE_INTEGER freeToCaller;
    if (!GetDiskFreeSpaceExW(m_owner.Params().targetFolder.c_str(), &freeToCaller, nullptr, nullptr)) {
        return orelib::HresultFromLastError();
    }
    if (!FitsWithMargin(total, freeToCaller.QuadPart)) return static_cast<HRESULT>(kExtractCodeDiskFull);
    return m_owner.IsStopRequested() ? E_ABORT : S_OK;
}

Z7_COM7F_IMF(MyExtractCallback::SetCompleted(const UInt64* done)) {
    const uint64_t total = m_owner.TotalBytes();
    if (done && total != 0) {
        const uint64_t perMille = *done >= total ? 1000 : *done * 1000 / total;
        // Each message waits for the UI thread: only what the bar can show goes.
        if (m_progress.ShouldSend(static_cast<uint32_t>(perMille), GetTickCount64())) {
            m_owner.SendToDialog(WM_SFX_PROGRESS, 0, static_cast<LPARAM>(perMille));
        }
    }
    return m_owner.IsStopRequested() ? E_ABORT : S_OK;
}

// --- items ---

Z7_COM7F_IMF(MyExtractCallback::AskOverwrite(const wchar_t* existName, const FILETIME*, const UInt64*, const wchar_t*,
                                             const FILETIME*, const UInt64*, Int32* answer)) {
    const LRESULT reply = m_owner.SendToDialog(WM_SFX_ASK_OVERWRITE, 0, reinterpret_cast<LPARAM>(existName));
    if (reply == kOverwriteCancel) return E_ABORT;
    *answer = reply == kOverwriteAll ? NOverwriteAnswer::kYesToAll : NOverwriteAnswer::kNo;
    return S_OK;
}

Z7_COM7F_IMF(MyExtractCallback::PrepareOperation(const wchar_t* name, Int32, Int32, const UInt64*)) {
    m_owner.SetCurrentPath(name);
    return S_OK;
}

Z7_COM7F_IMF(MyExtractCallback::MessageError(const wchar_t* message)) {
    m_lastMessage = message ? message : L"";
    return E_FAIL;
}

Z7_COM7F_IMF(MyExtractCallback::SetOperationResult(Int32 result, Int32)) {
    const size_t index = static_cast<size_t>(static_cast<uint32_t>(result));
    return index < sizeof(kOperationResults) / sizeof(kOperationResults[0]) ? kOperationResults[index] : E_UNEXPECTED;
}

// --- password ---

Z7_COM7F_IMF(MyExtractCallback::CryptoGetTextPassword(BSTR* password)) {
    if (m_password.empty()) {
        // One extra character keeps the text terminated whatever the dialog writes.
        m_password.assign(kPasswordCapacity + 1, L'\0');
        const LRESULT reply =
            m_owner.SendToDialog(WM_SFX_ASK_PASSWORD, reinterpret_cast<WPARAM>(&m_password[0]), kPasswordCapacity);
        const size_t length = wcsnlen(m_password.c_str(), kPasswordCapacity);
        SecureZeroMemory(&m_password[length], (m_password.size() - length) * sizeof(wchar_t));
        m_password.resize(length);
        if (reply != 1) return E_ABORT;
    }
    *password = SysAllocString(m_password.c_str());
    return *password ? S_OK : E_OUTOFMEMORY;
}

// --- the library's non-COM extraction events: answered neutrally ---

HRESULT MyExtractCallback::BeforeOpen(const wchar_t*, bool) { return S_OK; }

HRESULT MyExtractCallback::OpenResult(const CCodecs*, const CArchiveLink& link, const wchar_t* name, HRESULT result) {
    // Archive errors and warnings arrive here with the link; they change
    // nothing. When our own file holds no archive, the library goes on to a
    // "<name>.7z" beside it: an archive from any other file is refused.
    if (result == S_OK && !link.Arcs.IsEmpty() && link.Arcs[0].Path != name) return S_FALSE;
    return result;
}

HRESULT MyExtractCallback::ThereAreNoFiles() { return S_OK; }

HRESULT MyExtractCallback::ExtractResult(HRESULT result) { return result; }

HRESULT MyExtractCallback::SetPassword(const UString& password) {
    m_password = password.Ptr();
    return S_OK;
}

}  // namespace extract
