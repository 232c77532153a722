#pragma once
// Opening files and folders by name relative to an open folder handle, so
// that a path is never looked up again after its folder was checked, and
// what a handle refers to, asked of the handle itself.
#include <windows.h>

#include <cstdint>
#include <string>

#include "orelib/win32/Handle.h"
#include "orelib/win32/Result.h"

namespace orelib {

// A folder that must be a real one is a link (junction, symbolic link,
// mount point): ERROR_REPARSE_POINT_ENCOUNTERED, which MinGW's headers lack.
constexpr DWORD kErrorReparsePointEncountered = 4395;
constexpr HRESULT kFolderIsLink = HresultFromWin32(kErrorReparsePointEncountered);

// NtCreateFile's dispositions and options that callers choose (ntifs.h;
// the Windows headers lack them).
constexpr ULONG kFileOpen = 1;                 // FILE_OPEN
constexpr ULONG kFileCreate = 2;               // FILE_CREATE
constexpr ULONG kFileOpenIf = 3;               // FILE_OPEN_IF
constexpr ULONG kFileDirectoryFile = 0x01;     // FILE_DIRECTORY_FILE
constexpr ULONG kFileNonDirectoryFile = 0x40;  // FILE_NON_DIRECTORY_FILE

// The attributes a file's basic information can set (the kernel's
// FILE_ATTRIBUTE_VALID_SET_FLAGS): read-only, hidden, system, archive,
// normal, temporary, offline, not content-indexed.
constexpr DWORD kSettableAttributes = 0x31A7;

// A create that found something already under the name.
inline bool IsTakenName(HRESULT hr) {
    return hr == HresultFromWin32(ERROR_ALREADY_EXISTS) || hr == HresultFromWin32(ERROR_FILE_EXISTS);
}

// NtCreateFile of `name` (one component) inside the folder `parent`, never
// following a link at that name (FILE_OPEN_REPARSE_POINT), synchronous.
// `disposition` is FILE_OPEN, FILE_CREATE, ...; `options` adds to the fixed
// ones (FILE_DIRECTORY_FILE, FILE_NON_DIRECTORY_FILE). `descriptor` only
// matters when the call creates. NT failures come back as HRESULTs of their
// Win32 codes.
HRESULT OpenRelative(HANDLE parent, const std::wstring& name, ACCESS_MASK access, ULONG share, ULONG disposition,
                     ULONG options, PSECURITY_DESCRIPTOR descriptor, CHandle* out);

// A new handle of the open folder `folder` (NtCreateFile of an empty name
// relative to it): the same folder, whatever its name leads to now, with a
// listing of its own.
HRESULT ReopenFolder(HANDLE folder, ACCESS_MASK access, CHandle* out);

// The identity of an open file: volume and file index. Two handles with the
// same identity refer to the same file, whatever names led to them.
struct CFileIdentity {
    DWORD volume = 0;
    uint64_t index = 0;
    bool Read(HANDLE handle) {
        BY_HANDLE_FILE_INFORMATION info{};
        if (!GetFileInformationByHandle(handle, &info)) return false;
        volume = info.dwVolumeSerialNumber;
        index = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
        return true;
    }
    bool operator==(const CFileIdentity& other) const { return volume == other.volume && index == other.index; }
};

// The handle's attributes (FILE_ATTRIBUTE_*) and, with `tag`, its reparse
// tag (0 for none); false when they cannot be read.
bool GetHandleAttributes(HANDLE handle, DWORD* attributes, DWORD* tag = nullptr);

// The attributes of the entry `name` as its folder `folder` (opened with
// FILE_LIST_DIRECTORY) lists it: a link shows as a reparse point there
// whatever opening it would do. Wine, unlike Windows, follows a Unix symbolic
// link even when asked to open the link itself, so only the listing tells.
// Query this once per folder handle (the name filter sticks to the handle).
bool GetListedAttributes(HANDLE folder, const std::wstring& name, DWORD* attributes);

// A real folder: a directory that is no link of any kind.
bool IsPlainFolderAttributes(DWORD attributes);

// The path the handle's object has now (links resolved), in its plain form:
// "C:\..." or "\\server\share\...", without the "\\?\" prefix; "" on failure.
std::wstring GetFinalPath(HANDLE handle);

}  // namespace orelib
