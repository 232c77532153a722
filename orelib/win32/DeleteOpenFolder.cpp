#include "orelib/win32/DeleteOpenFolder.h"

#include <winternl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "orelib/win32/Handle.h"
#include "orelib/win32/RelativeOpen.h"

namespace orelib {

namespace {

struct CEntry {
    std::wstring name;
    DWORD attributes;
};

constexpr size_t kListingBuffer = 64 * 1024;

// Every entry of the folder but "." and "..", read in full before anything
// is deleted.
std::vector<CEntry> ListEntries(HANDLE folder) {
    std::vector<CEntry> entries;
    std::vector<uint64_t> buffer(kListingBuffer / sizeof(uint64_t));  // 8-byte aligned
    FILE_INFO_BY_HANDLE_CLASS infoClass = FileFullDirectoryRestartInfo;
    while (GetFileInformationByHandleEx(folder, infoClass, buffer.data(), kListingBuffer)) {
        infoClass = FileFullDirectoryInfo;
        const auto* bytes = reinterpret_cast<const uint8_t*>(buffer.data());
        for (;;) {
            const auto* info = reinterpret_cast<const FILE_FULL_DIR_INFO*>(bytes);
            std::wstring name(info->FileName, info->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") entries.push_back({name, info->FileAttributes});
            if (info->NextEntryOffset == 0) break;
            bytes += info->NextEntryOffset;
        }
    }
    return entries;
}

bool MakeWritable(HANDLE handle, DWORD attributes) {
    if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = attributes & ~FILE_ATTRIBUTE_READONLY;
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(handle, FileBasicInfo, &basic, sizeof(basic)) != FALSE;
}

bool DeleteEntry(HANDLE parent, const CEntry& entry) {
    // The listing may be old: what is opened decides, not what was listed.
    const bool mayBeFolder = IsPlainFolderAttributes(entry.attributes);
    CHandle child;
    HRESULT hr =
        OpenRelative(parent, entry.name,
                     DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | (mayBeFolder ? FILE_LIST_DIRECTORY : 0),
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, 0, nullptr, &child);
    if (FAILED(hr)) return false;
    DWORD attributes = 0;
    if (!GetHandleAttributes(child.Get(), &attributes)) return false;
    bool result = true;
    if (IsPlainFolderAttributes(attributes)) {
        if (!mayBeFolder) return false;  // became a folder since the listing: not opened for listing
        if (!DeleteOpenFolderTree(child.Get(), false)) result = false;
    }
    if (!MakeWritable(child.Get(), attributes)) return false;
    return DeleteByHandle(child.Get()) && result;
}

}  // namespace

bool DeleteByHandle(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
}

bool DeleteOpenFolderTree(HANDLE folder, bool removeItself) {
    bool result = true;
    for (const CEntry& entry : ListEntries(folder)) {
        if (!DeleteEntry(folder, entry)) result = false;
    }
    if (removeItself && !DeleteByHandle(folder)) result = false;
    return result;
}

}  // namespace orelib
