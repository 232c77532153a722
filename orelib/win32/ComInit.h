#pragma once
// COM on the current thread for as long as the object lives.
#include <objbase.h>

namespace orelib {

class CComInit {
public:
    // Single-threaded apartment without OLE1 DDE, as the shell asks of
    // ShellExecuteEx's callers. A thread already in another apartment keeps
    // it (RPC_E_CHANGED_MODE): COM is initialised there all the same.
    explicit CComInit(DWORD model = COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)
        : m_result(CoInitializeEx(nullptr, model)) {}
    ~CComInit() {
        if (SUCCEEDED(m_result)) CoUninitialize();  // S_FALSE too: every success is balanced
    }
    CComInit(const CComInit&) = delete;
    CComInit& operator=(const CComInit&) = delete;

    bool Ready() const { return SUCCEEDED(m_result) || m_result == RPC_E_CHANGED_MODE; }

private:
    HRESULT m_result;
};

}  // namespace orelib
