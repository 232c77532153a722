#pragma once
// The payload the program's image vouches for (orelib::PayloadDigest),
// hashed on a thread of its own through the handle the run holds on its file,
// while the extraction reads the same bytes. Nothing extracted is used until
// the two agree.
#include <windows.h>

#include <atomic>
#include <vector>

#include "orelib/SetupLayout.h"
#include "orelib/win32/Handle.h"

namespace extract {

class CPayloadHash {
public:
    CPayloadHash() = default;
    // A hash still running is stopped and waited for.
    ~CPayloadHash();
    CPayloadHash(const CPayloadHash&) = delete;
    CPayloadHash& operator=(const CPayloadHash&) = delete;

    // Starts hashing `expected`'s range of `file`, which the caller keeps
    // open until Finish returns or this object is destroyed.
    HRESULT Start(HANDLE file, const orelib::PayloadDigest& expected);
    // Waits for the hash: S_OK when the bytes are the ones the image was
    // built with, kExtractCodePayloadChanged when they are not, else the
    // read failure.
    HRESULT Finish();

private:
    static DWORD WINAPI ThreadMain(void* self);
    HRESULT Hash();

    HANDLE m_file = nullptr;
    orelib::PayloadDigest m_expected;
    std::vector<uint8_t> m_buffer;
    std::atomic<bool> m_stop{false};
    HRESULT m_result = E_PENDING;
    orelib::CHandle m_thread;
};

}  // namespace extract
