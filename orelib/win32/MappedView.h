#pragma once
// A read-only view of the start of a file, with the mapping that backs it.
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "orelib/win32/Handle.h"

namespace orelib {

class CMappedView {
public:
    CMappedView() = default;
    ~CMappedView() { Reset(); }
    CMappedView(const CMappedView&) = delete;
    CMappedView& operator=(const CMappedView&) = delete;

    // Maps the first `length` bytes of `file` (opened for reading). An empty
    // length fails with the system's error for an empty mapping.
    HRESULT MapReadOnly(HANDLE file, size_t length);
    // Maps the file's first min(file size, `maxLength`) bytes: the window in
    // which a reader of the file's start looks, and nothing beyond it.
    HRESULT MapFileStart(HANDLE file, uint64_t maxLength);
    void Reset();

    const uint8_t* Data() const { return m_view; }
    size_t Size() const { return m_size; }

private:
    CHandle m_mapping;
    const uint8_t* m_view = nullptr;
    size_t m_size = 0;
};

}  // namespace orelib
