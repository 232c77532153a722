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

// A scanner or the indexer may hold a file it just saw being written, or
// leave it listed for a moment after a delete: such failures are tried again
// a few times, about two seconds in all, before they count.
constexpr DWORD kRetryPauses[] = {20, 50, 100, 200, 400, 600, 700};

bool IsPassingFailure(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_DIR_NOT_EMPTY; }

template <typename Attempt>
bool WithRetry(Attempt attempt) {
    for (DWORD pause : kRetryPauses) {
        if (attempt()) return true;
        if (!IsPassingFailure(GetLastError())) return false;
        Sleep(pause);
    }
    return attempt();
}

bool DeleteEntry(HANDLE parent, const CEntry& entry) {
    // The listing may be old: what is opened decides, not what was listed.
    const bool mayBeFolder = IsPlainFolderAttributes(entry.attributes);
    CHandle child;
    const bool opened = WithRetry([&] {
        const HRESULT hr = OpenRelative(
            parent, entry.name,
            DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | (mayBeFolder ? FILE_LIST_DIRECTORY : 0),
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN, 0, nullptr, &child);
        SetLastError(HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : ERROR_GEN_FAILURE);
        return SUCCEEDED(hr);
    });
    if (!opened) return false;
    DWORD attributes = 0;
    if (!GetHandleAttributes(child.Get(), &attributes)) return false;
    if (!MakeWritable(child.Get(), attributes)) return false;
    if (!IsPlainFolderAttributes(attributes)) return DeleteByHandle(child.Get());
    if (!mayBeFolder) return false;  // became a folder since the listing: not opened for listing
    return DeleteOpenFolderTree(child.Get(), true);
}

// With the legacy delete a file that a scanner still holds stays listed until
// it lets go, and a folder marked for deletion while not empty is silently
// kept (Wine does not even refuse the mark): the folder goes once it is empty.
bool WaitUntilEmpty(HANDLE folder) {
    return WithRetry([folder] {
        if (ListEntries(folder).empty()) return true;
        SetLastError(ERROR_DIR_NOT_EMPTY);
        return false;
    });
}

// FILE_DISPOSITION_INFO_EX and its flags (Windows 10 1809 and later).
constexpr auto kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr DWORD kDispositionDelete = 0x1;
constexpr DWORD kDispositionPosixSemantics = 0x2;
constexpr DWORD kDispositionIgnoreReadOnly = 0x10;

// The name goes at once, even while a scanner still holds the file with
// delete sharing, so that its folder can go too. Systems and file systems
// without it refuse the information class.
bool DeletePosix(HANDLE handle) {
    DWORD flags = kDispositionDelete | kDispositionPosixSemantics | kDispositionIgnoreReadOnly;
    return SetFileInformationByHandle(handle, kFileDispositionInfoEx, &flags, sizeof(flags)) != FALSE;
}

bool IsUnsupportedClass(DWORD error) {
    return error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION;
}

}  // namespace

bool DeleteByHandle(HANDLE handle) {
    return WithRetry([handle] {
        if (DeletePosix(handle)) return true;
        if (!IsUnsupportedClass(GetLastError())) return false;
        // The name stays until the last handle is closed.
        FILE_DISPOSITION_INFO disposition{TRUE};
        return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof(disposition)) != FALSE;
    });
}

bool DeleteOpenFolderTree(HANDLE folder, bool removeItself) {
    bool result = true;
    for (const CEntry& entry : ListEntries(folder)) {
        if (!DeleteEntry(folder, entry)) result = false;
    }
    if (removeItself) {
        if (result) WaitUntilEmpty(folder);
        if (!DeleteByHandle(folder)) result = false;
    }
    return result;
}

}  // namespace orelib
