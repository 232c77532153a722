#pragma once
// The stub's one error convention: a function that can fail returns an
// HRESULT, and a Win32 code becomes one where it arises. The macros return
// the first failure to the caller, in the manner of WIL's RETURN_IF_FAILED
// and the archive library's RINOK.
#include <windows.h>

namespace orelib {

// The HRESULT form of a Win32 code: 0x80070000 | low 16 bits when positive;
// a value that already is an HRESULT (0 or negative) stays as it is. A
// constant expression, so that codes are named by their Win32 names.
constexpr HRESULT HresultFromWin32(DWORD code) {
    return static_cast<HRESULT>(code) <= 0 ? static_cast<HRESULT>(code)
                                           : static_cast<HRESULT>(0x80070000u | (code & 0xFFFFu));
}

inline HRESULT HresultFromLastError() { return HresultFromWin32(GetLastError()); }

// The same after a call that failed: E_FAIL if the system left no error code.
inline HRESULT FailureFromLastError() {
    const HRESULT hr = HresultFromLastError();
    return FAILED(hr) ? hr : E_FAIL;
}

}  // namespace orelib

// Returns the HRESULT of `expr` when it is a failure.
#define RETURN_IF_FAILED(expr)                                \
    do {                                                      \
        const HRESULT returnIfFailed_ = (expr);               \
        if (FAILED(returnIfFailed_)) return returnIfFailed_;  \
    } while (0)

// Returns the thread's last error as an HRESULT when the BOOL `expr` is FALSE.
#define RETURN_IF_WIN32_BOOL_FALSE(expr)                       \
    do {                                                       \
        if (!(expr)) return ::orelib::FailureFromLastError();  \
    } while (0)
