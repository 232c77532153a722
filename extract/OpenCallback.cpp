#include "extract/OpenCallback.h"

namespace extract {

// The open phase does not look at the stop flag: a cancel during the open
// takes effect at the first progress call of the extraction.
HRESULT MyOpenCallback::Open_CheckBreak() { return S_OK; }

HRESULT MyOpenCallback::Open_SetTotal(const UInt64*, const UInt64*) { return S_OK; }

HRESULT MyOpenCallback::Open_SetCompleted(const UInt64*, const UInt64*) { return S_OK; }

// Not in the original set of operations of this callback: nothing to do.
HRESULT MyOpenCallback::Open_Finished() { return S_OK; }

// No password is supplied for the headers: the library then tries an empty
// one, which fails on encrypted headers.
HRESULT MyOpenCallback::Open_CryptoGetTextPassword(BSTR* password) {
    if (password) *password = nullptr;
    return S_OK;
}

}  // namespace extract
