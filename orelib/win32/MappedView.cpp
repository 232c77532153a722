#include "orelib/win32/MappedView.h"

#include "orelib/win32/Files.h"

namespace orelib {

HRESULT CMappedView::MapReadOnly(HANDLE file, size_t length) {
    Reset();
    if (length == 0) return HresultFromWin32(ERROR_FILE_INVALID);  // what an empty file mapping reports
    m_mapping.Reset(CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!m_mapping) return FailureFromLastError();
    m_view = static_cast<const uint8_t*>(MapViewOfFile(m_mapping.Get(), FILE_MAP_READ, 0, 0, length));
    if (!m_view) {
        const HRESULT hr = FailureFromLastError();
        m_mapping.Reset();
        return hr;
    }
    m_size = length;
    return S_OK;
}

HRESULT CMappedView::MapFileStart(HANDLE file, uint64_t maxLength) {
    Reset();
    LARGE_INTEGER size;
    RETURN_IF_WIN32_BOOL_FALSE(GetFileSizeEx(file, &size));
    const uint64_t fileSize = static_cast<uint64_t>(size.QuadPart);
    return MapReadOnly(file, static_cast<size_t>(fileSize < maxLength ? fileSize : maxLength));
}

void CMappedView::Reset() {
    if (m_view) UnmapViewOfFile(m_view);
    m_view = nullptr;
    m_size = 0;
    m_mapping.Reset();
}

}  // namespace orelib
