#pragma once
// Copies of the test program for checks that read PE files from disk.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "orelib/PeImage.h"
#include "orelib/win32/Files.h"

inline std::string ReadWholeFile(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

inline std::string OwnImage() { return ReadWholeFile(orelib::GetModulePath(nullptr)); }

// The file offset of the 8 bytes of _KTV_VERIFY; 0 when not found.
inline size_t SizeResourceOffset(const std::string& image) {
    size_t offset = 0;
    uint32_t size = 0;
    orelib::PeImage pe(reinterpret_cast<const uint8_t*>(image.data()), image.size());
    if (!pe.FindNamedResource(10, u"_KTV_VERIFY", &offset, &size) || size != 8) return 0;
    return offset;
}

inline void Put32(std::string& image, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i) image[offset + i] = static_cast<char>(value >> (8 * i));
}

inline void Put64(std::string& image, size_t offset, uint64_t value) {
    for (int i = 0; i < 8; ++i) image[offset + i] = static_cast<char>(value >> (8 * i));
}

// Where the certificate table entry of a PE32 image lies.
inline size_t CertificateEntryOffset(const std::string& image) {
    uint32_t pe = 0;
    std::memcpy(&pe, image.data() + 0x3C, 4);
    return pe + 0x98;
}
