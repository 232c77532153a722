#include "orelib/win32/LinkFreeFolder.h"

#include <winternl.h>

#include <vector>

#include "orelib/LinkLevel.h"
#include "orelib/Path.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/RelativeOpen.h"
#include "orelib/win32/Result.h"

namespace orelib {

namespace {

std::wstring FullPath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::wstring();
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, &full[0], nullptr);
    if (length == 0 || length >= needed) return std::wstring();
    full.resize(length);
    return full;
}

// Length of the root of a full path: "C:\", "\\server\share\",
// "\\?\C:\", "\\?\UNC\server\share\"; 0 when there is none.
size_t RootLength(const std::wstring& path) {
    size_t start = 0;
    bool unc = false;
    if (path.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
        start = 8;
        unc = true;
    } else if (path.compare(0, 4, L"\\\\?\\") == 0) {
        start = 4;
    } else if (path.compare(0, 2, L"\\\\") == 0) {
        start = 2;
        unc = true;
    }
    if (!unc) return path.size() >= start + 3 && path[start + 1] == L':' && path[start + 2] == L'\\' ? start + 3 : 0;
    const size_t server = path.find(L'\\', start);
    if (server == std::wstring::npos || server == start) return 0;
    const size_t share = path.find(L'\\', server + 1);
    if (share == std::wstring::npos) return path.size() > server + 1 ? path.size() : 0;
    return share + 1;
}

std::vector<std::wstring> Components(const std::wstring& rest) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find(L'\\', start);
        if (end == std::wstring::npos) end = rest.size();
        if (end > start) parts.push_back(rest.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

}  // namespace

HRESULT OpenLinkFreeFolder(const std::wstring& path, bool createMissing, CHandle* held, std::wstring* link) {
    held->Reset();
    const std::wstring full = FullPath(path);
    const size_t rootLength = RootLength(full);
    if (rootLength == 0) return HresultFromWin32(ERROR_BAD_PATHNAME);
    std::wstring walked = full.substr(0, rootLength);
    std::wstring rootPath = walked;
    AddBackslash(rootPath);
    CHandle current(CreateFileW(rootPath.c_str(),
                                FILE_TRAVERSE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!current) return FailureFromLastError();

    const std::vector<std::wstring> parts = Components(full.substr(rootLength));
    for (size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        walked = CombinePath(walked, parts[i]);
        CHandle next;
        // The last level is held: no delete sharing. Those above it are held
        // only until the next one is open. Opened as whatever is there, so
        // that a link is seen as itself; made as a folder when missing.
        const ACCESS_MASK access = FILE_TRAVERSE | FILE_READ_ATTRIBUTES | FILE_LIST_DIRECTORY;
        const ULONG share = FILE_SHARE_READ | FILE_SHARE_WRITE | (last ? 0 : FILE_SHARE_DELETE);
        HRESULT hr = OpenRelative(current.Get(), parts[i], access, share, kFileOpen, 0, nullptr, &next);
        if (hr == HresultFromWin32(ERROR_FILE_NOT_FOUND) || hr == HresultFromWin32(ERROR_PATH_NOT_FOUND)) {
            if (!createMissing) return S_OK;  // nothing further exists, so nothing further is a link
            hr = OpenRelative(current.Get(), parts[i], access, share, kFileCreate, kFileDirectoryFile, nullptr, &next);
        }
        RETURN_IF_FAILED(hr);
        // Both what the level's folder lists and what was opened must be a
        // real folder: the listing shows a link that the system followed.
        DWORD listed = 0;
        DWORD attributes = 0;
        DWORD tag = 0;
        if (!GetListedAttributes(current.Get(), parts[i], &listed) ||
            !GetHandleAttributes(next.Get(), &attributes, &tag))
            return FailureFromLastError();
        if (IsLinkLevel(attributes, tag, listed)) {
            *link = walked;
            return kFolderIsLink;
        }
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            *link = walked;
            return HresultFromWin32(ERROR_DIRECTORY);
        }
        current = std::move(next);
    }
    *held = std::move(current);
    return S_OK;
}

bool FindLinkOnPath(const std::wstring& path, std::wstring* link) {
    CHandle held;
    return OpenLinkFreeFolder(path, false, &held, link) == kFolderIsLink;
}

}  // namespace orelib
