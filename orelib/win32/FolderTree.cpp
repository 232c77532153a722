#include "orelib/win32/FolderTree.h"

#include <winternl.h>

#include "orelib/LinkLevel.h"
#include "orelib/win32/RelativeOpen.h"
#include "orelib/win32/Result.h"

namespace orelib {

namespace {

// A held folder is filled and stamped. Delete is not shared: no held folder,
// and no folder above one, can be renamed or removed while the tree lives.
constexpr ACCESS_MASK kHeldAccess = FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_TRAVERSE |
                                    FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES;
constexpr ULONG kHeldShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
// What CreateFileW asks for a file opened for writing only.
constexpr ACCESS_MASK kFileWriteAccess = FILE_GENERIC_WRITE | FILE_READ_ATTRIBUTES;

// "a\b\c" -> "a\b" and "c"; "c" -> "" and "c".
void SplitLast(const std::wstring& relative, std::wstring* parent, std::wstring* name) {
    const size_t separator = relative.rfind(L'\\');
    *parent = separator == std::wstring::npos ? std::wstring() : relative.substr(0, separator);
    *name = separator == std::wstring::npos ? relative : relative.substr(separator + 1);
}

}  // namespace

CFolderTree::CFolderTree(HANDLE root, const std::wstring& rootPath) : m_root(root), m_rootPath(rootPath) {
    if (m_rootPath.empty() || m_rootPath.back() != L'\\') m_rootPath += L'\\';
}

bool CFolderTree::Below(const std::wstring& path, std::wstring* relative) const {
    const size_t rootLength = m_rootPath.size();
    const bool isRoot = path.size() + 1 == rootLength;
    if (path.size() < rootLength - 1 || (!isRoot && path.size() < rootLength)) return false;
    if (CompareStringOrdinal(path.c_str(), static_cast<int>(rootLength - 1), m_rootPath.c_str(),
                             static_cast<int>(rootLength - 1), TRUE) != CSTR_EQUAL)
        return false;
    if (isRoot) {
        relative->clear();
        return true;
    }
    if (path[rootLength - 1] != L'\\') return false;
    *relative = path.substr(rootLength);
    while (!relative->empty() && relative->back() == L'\\') relative->pop_back();
    return true;
}

HRESULT CFolderTree::Folder(const std::wstring& relative, HANDLE* folder) {
    if (relative.empty()) {
        *folder = m_root;
        return S_OK;
    }
    const auto held = m_held.find(relative);
    if (held != m_held.end()) {
        *folder = held->second.Get();
        return S_OK;
    }
    std::wstring parentRelative;
    std::wstring name;
    SplitLast(relative, &parentRelative, &name);
    HANDLE parent = nullptr;
    RETURN_IF_FAILED(Folder(parentRelative, &parent));
    CHandle level;
    RETURN_IF_FAILED(OpenLevel(parent, relative, name, &level));
    *folder = level.Get();
    m_held.emplace(relative, std::move(level));
    return S_OK;
}

HRESULT CFolderTree::OpenLevel(HANDLE parent, const std::wstring& relative, const std::wstring& name,
                               CHandle* level) {
    // Made here and now, nothing else can be under the name: the usual case.
    const HRESULT made =
        OpenRelative(parent, name, kHeldAccess, kHeldShare, kFileCreate, kFileDirectoryFile, nullptr, level);
    if (!IsTakenName(made)) return made;

    // Something was there: used only when it is a real folder, both as its
    // own handle (opened as itself, never followed) and as its folder lists it.
    RETURN_IF_FAILED(OpenRelative(parent, name, kHeldAccess, kHeldShare, kFileOpen, 0, nullptr, level));
    DWORD attributes = 0;
    DWORD tag = 0;
    DWORD listed = 0;
    if (!GetHandleAttributes(level->Get(), &attributes, &tag)) {
        const HRESULT hr = FailureFromLastError();
        level->Reset();
        return hr;
    }
    // Each listing through a handle of its own: the name filter sticks to a
    // handle, and Wine reads a folder's listing once per handle.
    CHandle listing;
    HRESULT hr = ReopenFolder(parent, FILE_LIST_DIRECTORY, &listing);
    if (SUCCEEDED(hr) && !GetListedAttributes(listing.Get(), name, &listed)) hr = FailureFromLastError();
    if (FAILED(hr)) {
        level->Reset();
        return hr;
    }
    if (IsLinkLevel(attributes, tag, listed)) {
        level->Reset();
        if (m_firstLink.empty()) m_firstLink = m_rootPath + relative;
        return kFolderIsLink;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        level->Reset();
        return HresultFromWin32(ERROR_DIRECTORY);
    }
    return S_OK;
}

HRESULT CFolderTree::ItemFolder(const std::wstring& path, HANDLE* folder, std::wstring* name) {
    std::wstring relative;
    if (!Below(path, &relative) || relative.empty()) return HresultFromWin32(ERROR_BAD_PATHNAME);
    std::wstring parentRelative;
    SplitLast(relative, &parentRelative, name);
    return Folder(parentRelative, folder);
}

HRESULT CFolderTree::EnterFolder(const std::wstring& path) {
    std::wstring relative;
    if (!Below(path, &relative)) return HresultFromWin32(ERROR_BAD_PATHNAME);
    HANDLE folder = nullptr;
    return Folder(relative, &folder);
}

HRESULT CFolderTree::MakeFile(const std::wstring& path, bool append, CHandle* file) {
    HANDLE folder = nullptr;
    std::wstring name;
    RETURN_IF_FAILED(ItemFolder(path, &folder, &name));
    if (!append)
        return OpenRelative(folder, name, kFileWriteAccess, FILE_SHARE_READ, kFileCreate, kFileNonDirectoryFile,
                            nullptr, file);
    RETURN_IF_FAILED(OpenRelative(folder, name, kFileWriteAccess, FILE_SHARE_READ, kFileOpenIf,
                                  kFileNonDirectoryFile, nullptr, file));
    DWORD attributes = 0;
    if (!GetHandleAttributes(file->Get(), &attributes) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        file->Reset();
        return HresultFromWin32(kErrorReparsePointEncountered);
    }
    return S_OK;
}

HRESULT CFolderTree::Remove(const std::wstring& path, bool folder) {
    HANDLE parent = nullptr;
    std::wstring name;
    RETURN_IF_FAILED(ItemFolder(path, &parent, &name));
    CHandle item;
    RETURN_IF_FAILED(OpenRelative(parent, name, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, kFileOpen,
                                  folder ? kFileDirectoryFile : kFileNonDirectoryFile, nullptr, &item));
    DWORD attributes = 0;
    if (GetHandleAttributes(item.Get(), &attributes) && (attributes & FILE_ATTRIBUTE_READONLY)) {
        FILE_BASIC_INFO basic = {};  // times of 0: left as they are
        const DWORD kept = attributes & kSettableAttributes & ~FILE_ATTRIBUTE_READONLY;
        basic.FileAttributes = kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL;
        RETURN_IF_WIN32_BOOL_FALSE(SetFileInformationByHandle(item.Get(), FileBasicInfo, &basic, sizeof basic));
    }
    FILE_DISPOSITION_INFO disposition = {};
    disposition.DeleteFile = TRUE;
    RETURN_IF_WIN32_BOOL_FALSE(
        SetFileInformationByHandle(item.Get(), FileDispositionInfo, &disposition, sizeof disposition));
    return S_OK;
}

HRESULT CFolderTree::SetFolderTimes(const std::wstring& path, const FILETIME* created, const FILETIME* accessed,
                                    const FILETIME* written) {
    std::wstring relative;
    if (!Below(path, &relative) || relative.empty()) return HresultFromWin32(ERROR_BAD_PATHNAME);
    HANDLE folder = nullptr;
    RETURN_IF_FAILED(Folder(relative, &folder));
    RETURN_IF_WIN32_BOOL_FALSE(SetFileTime(folder, created, accessed, written));
    return S_OK;
}

}  // namespace orelib
