#include "extract/HandleInStream.h"

#include "orelib/win32/Files.h"

namespace extract {

HRESULT CHandleInStream::Init(HANDLE file) {
    m_file = file;
    m_position = 0;
    LARGE_INTEGER size;
    RETURN_IF_WIN32_BOOL_FALSE(GetFileSizeEx(file, &size));
    m_size = static_cast<UInt64>(size.QuadPart);
    return S_OK;
}

Z7_COM7F_IMF(CHandleInStream::Read(void* data, UInt32 size, UInt32* processedSize)) {
    if (processedSize) *processedSize = 0;
    if (size == 0 || m_position >= m_size) return S_OK;
    // The size was taken once: the file cannot change while its owner holds it.
    const UInt64 left = m_size - m_position;
    if (size > left) size = static_cast<UInt32>(left);
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(m_position);
    at.OffsetHigh = static_cast<DWORD>(m_position >> 32);
    DWORD read = 0;
    RETURN_IF_WIN32_BOOL_FALSE(ReadFile(m_file, data, size, &read, &at));
    m_position += read;
    if (processedSize) *processedSize = read;
    return S_OK;
}

Z7_COM7F_IMF(CHandleInStream::Seek(Int64 offset, UInt32 seekOrigin, UInt64* newPosition)) {
    switch (seekOrigin) {
    case STREAM_SEEK_SET:
        break;
    case STREAM_SEEK_CUR:
        offset += static_cast<Int64>(m_position);
        break;
    case STREAM_SEEK_END:
        offset += static_cast<Int64>(m_size);
        break;
    default:
        return STG_E_INVALIDFUNCTION;
    }
    if (offset < 0) return HRESULT_WIN32_ERROR_NEGATIVE_SEEK;
    m_position = static_cast<UInt64>(offset);
    if (newPosition) *newPosition = m_position;
    return S_OK;
}

}  // namespace extract
