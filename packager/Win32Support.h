#pragma once
// The Windows packager's shared pieces: one owner for a kernel handle and the
// system's text for an error code.
#ifdef _WIN32

#include <windows.h>

#include <string>

namespace sfxpack {

// Owns one kernel handle; INVALID_HANDLE_VALUE and null both mean none.
class CHandle {
public:
    explicit CHandle(HANDLE handle = nullptr) : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~CHandle() { Reset(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    bool Valid() const { return m_handle != nullptr; }
    void Reset(HANDLE handle = nullptr) {
        if (m_handle) CloseHandle(m_handle);
        m_handle = handle == INVALID_HANDLE_VALUE ? nullptr : handle;
    }

private:
    HANDLE m_handle;
};

// The system's message for `error` in UTF-8, without its final period and
// line break; "error N" when the system has none.
std::string SystemErrorText(DWORD error);

}  // namespace sfxpack

#endif  // _WIN32
