#include "orelib/win32/RelativeOpen.h"

#include <winternl.h>

#include "orelib/win32/DynamicCalls.h"
#include "orelib/win32/Files.h"

namespace orelib {

namespace {

// Only the few ntdll entries this file needs; ntdll is in every process.
using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER,
                                        ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using RtlNtStatusToDosErrorFn = ULONG(NTAPI*)(NTSTATUS);
using NtQueryDirectoryFileFn = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PVOID, PVOID, PIO_STATUS_BLOCK, PVOID, ULONG, ULONG,
                                                BOOLEAN, PUNICODE_STRING, BOOLEAN);

constexpr ULONG kFileDirectoryInformation = 1;

// FILE_DIRECTORY_INFORMATION of ntifs.h.
struct CDirectoryInformation {
    ULONG NextEntryOffset;
    ULONG FileIndex;
    LARGE_INTEGER CreationTime;
    LARGE_INTEGER LastAccessTime;
    LARGE_INTEGER LastWriteTime;
    LARGE_INTEGER ChangeTime;
    LARGE_INTEGER EndOfFile;
    LARGE_INTEGER AllocationSize;
    ULONG FileAttributes;
    ULONG FileNameLength;
    WCHAR FileName[1];
};

HMODULE Ntdll() { return GetModuleHandleW(L"ntdll.dll"); }

HRESULT HresultFromNtStatus(NTSTATUS status) {
    const auto toDos = LookupFunction<RtlNtStatusToDosErrorFn>(Ntdll(), "RtlNtStatusToDosError");
    const ULONG code = toDos ? toDos(status) : ERROR_GEN_FAILURE;
    const HRESULT hr = HresultFromWin32(code);
    return FAILED(hr) ? hr : E_FAIL;
}

constexpr ULONG kFileSynchronousIoNonAlert = 0x00000020;
constexpr ULONG kFileOpenForBackupIntent = 0x00004000;
constexpr ULONG kFileOpenReparsePoint = 0x00200000;

// NtCreateFile of `name` (empty: the folder `parent` itself) relative to `parent`.
HRESULT CreateRelative(HANDLE parent, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                       ULONG options, PSECURITY_DESCRIPTOR descriptor, CHandle* out) {
    out->Reset();
    const auto create = LookupFunction<NtCreateFileFn>(Ntdll(), "NtCreateFile");
    if (!create) return HresultFromWin32(ERROR_PROC_NOT_FOUND);
    UNICODE_STRING objectName;
    objectName.Buffer = const_cast<PWSTR>(name.c_str());
    objectName.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    objectName.MaximumLength = objectName.Length;
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &objectName, OBJ_CASE_INSENSITIVE, parent, descriptor);
    IO_STATUS_BLOCK status{};
    HANDLE handle = nullptr;
    const NTSTATUS result =
        create(&handle, access | SYNCHRONIZE, &attributes, &status, nullptr, FILE_ATTRIBUTE_NORMAL, share, disposition,
               options | kFileOpenReparsePoint | kFileSynchronousIoNonAlert | kFileOpenForBackupIntent, nullptr, 0);
    if (result < 0) return HresultFromNtStatus(result);
    out->Reset(handle);
    return S_OK;
}

}  // namespace

HRESULT OpenRelative(HANDLE parent, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                     ULONG options, PSECURITY_DESCRIPTOR descriptor, CHandle* out) {
    out->Reset();
    // One component only: a separator would walk on by path.
    if (name.empty() || name.find_first_of(L"\\/") != std::wstring::npos || name.size() > 32767 / 2)
        return HresultFromWin32(ERROR_INVALID_NAME);
    return CreateRelative(parent, name, access, share, disposition, options, descriptor, out);
}

HRESULT ReopenFolder(HANDLE folder, ACCESS_MASK access, CHandle* out) {
    return CreateRelative(folder, std::wstring(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          kFileOpen, kFileDirectoryFile, nullptr, out);
}

bool GetHandleAttributes(HANDLE handle, DWORD* attributes, DWORD* tag) {
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &info, sizeof(info))) return false;
    *attributes = info.FileAttributes;
    if (tag) *tag = (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? info.ReparseTag : 0;
    return true;
}

bool GetListedAttributes(HANDLE folder, const std::wstring& name, DWORD* attributes) {
    const auto query = LookupFunction<NtQueryDirectoryFileFn>(Ntdll(), "NtQueryDirectoryFile");
    if (!query || name.empty() || name.find_first_of(L"*?<>\"") != std::wstring::npos) return false;
    UNICODE_STRING mask;
    mask.Buffer = const_cast<PWSTR>(name.c_str());
    mask.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    mask.MaximumLength = mask.Length;
    // Room for one entry with the longest name.
    alignas(8) BYTE buffer[sizeof(CDirectoryInformation) + 256 * sizeof(wchar_t)];
    IO_STATUS_BLOCK status{};
    if (query(folder, nullptr, nullptr, nullptr, &status, buffer, sizeof(buffer), kFileDirectoryInformation, TRUE,
              &mask, TRUE) < 0) {
        return false;
    }
    const auto* entry = reinterpret_cast<const CDirectoryInformation*>(buffer);
    *attributes = entry->FileAttributes;
    return true;
}

bool IsPlainFolderAttributes(DWORD attributes) {
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

std::wstring GetFinalPath(HANDLE handle) {
    std::wstring buffer(MAX_PATH, L'\0');
    DWORD length = GetFinalPathNameByHandleW(handle, &buffer[0], static_cast<DWORD>(buffer.size()),
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length >= buffer.size()) {
        buffer.assign(length + 1, L'\0');
        length = GetFinalPathNameByHandleW(handle, &buffer[0], static_cast<DWORD>(buffer.size()),
                                           FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length >= buffer.size()) return std::wstring();
    }
    buffer.resize(length);
    if (buffer.compare(0, 8, L"\\\\?\\UNC\\") == 0) return L"\\\\" + buffer.substr(8);
    if (buffer.compare(0, 4, L"\\\\?\\") == 0) return buffer.substr(4);
    return buffer;
}

}  // namespace orelib
