#include "orelib/win32/WorkingFolder.h"

#include <aclapi.h>
#include <winternl.h>

#include <cstdint>
#include <vector>

#include "orelib/win32/DeleteOpenFolder.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/PrivateFolder.h"
#include "orelib/win32/RelativeOpen.h"

namespace orelib {

namespace {

constexpr ULONG kFileOpen = 1;           // FILE_OPEN
constexpr ULONG kFileCreate = 2;         // FILE_CREATE
constexpr ULONG kFileDirectoryFile = 1;  // FILE_DIRECTORY_FILE

// What the holder needs: list and fill the folder, read its owner. Not
// DELETE: every other opener (a process with the folder as its current
// directory, Wine's folder listing) would then have to share delete.
constexpr ACCESS_MASK kHolderAccess =
    READ_CONTROL | FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
// Reading and writing stay possible, delete is not shared: the folder and
// every folder above it can then be neither renamed nor removed.
constexpr ULONG kHolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

// The identity of an open file: volume and file index.
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

bool IsTakenName(HRESULT hr) {
    return hr == HresultFromWin32(ERROR_ALREADY_EXISTS) || hr == HresultFromWin32(ERROR_FILE_EXISTS);
}

// The SID of the token's user; empty on failure.
std::vector<BYTE> TokenUserSid() {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return {};
    const CHandle token(raw);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> buffer(size);
    if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, buffer.data(), size, &size)) return {};
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    return std::vector<BYTE>(static_cast<BYTE*>(sid), static_cast<BYTE*>(sid) + GetLengthSid(sid));
}

bool OwnerIs(HANDLE handle, bool administrators) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    bool matches = false;
    if (owner) {
        if (administrators) {
            BYTE sid[SECURITY_MAX_SID_SIZE];
            DWORD size = sizeof(sid);
            matches = CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size) && EqualSid(owner, sid);
        } else {
            std::vector<BYTE> user = TokenUserSid();
            matches = !user.empty() && EqualSid(owner, user.data());
        }
    }
    LocalFree(descriptor);
    return matches;
}

bool VolumeKeepsAcls(HANDLE handle) {
    DWORD flags = 0;
    if (!GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0)) return false;
    if (flags & FILE_PERSISTENT_ACLS) return true;
    // Wine reports no volume flags at all (and keeps security descriptors of
    // its own); every real Windows volume reports some.
    return flags == 0 && RunsOnWine();
}

}  // namespace

HRESULT CWorkingFolder::Create(const std::wstring& parentPath, bool parentIsUsers, const NameSource& nextName,
                               int maxTries) {
    Delete();
    // "temp\" would name what a link "temp" points to, not the link.
    std::wstring parent = parentPath;
    while (parent.size() > 3 && (parent.back() == L'\\' || parent.back() == L'/')) parent.pop_back();
    CHandle parentFolder(
        CreateFileW(parent.c_str(),
                    FILE_LIST_DIRECTORY | FILE_ADD_SUBDIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | (parentIsUsers ? FILE_FLAG_OPEN_REPARSE_POINT : 0), nullptr));
    if (!parentFolder) return FailureFromLastError();
    DWORD attributes = 0;
    if (!GetHandleAttributes(parentFolder.Get(), &attributes)) return FailureFromLastError();
    // The user's TEMP may be a link that its owner re-points at will. What
    // its path shows counts too: Wine opens a Unix symbolic link's target
    // even when asked for the link itself.
    if (parentIsUsers) {
        const DWORD listed = GetFileAttributesW(parent.c_str());
        if (!IsPlainFolderAttributes(attributes) || listed == INVALID_FILE_ATTRIBUTES ||
            !IsPlainFolderAttributes(listed)) {
            return kFolderIsLink;
        }
    }

    const CSecurityDescriptor ownedByAdministrators(PrivateFolderSddl(true));
    const CSecurityDescriptor ownedByCreator(PrivateFolderSddl(false));
    if (!ownedByAdministrators.Get() || !ownedByCreator.Get()) return FailureFromLastError();
    bool administrators = true;
    for (int attempt = 0; attempt < maxTries; ++attempt) {
        const std::wstring name = nextName();
        if (name.empty()) return E_FAIL;
        CHandle folder;
        HRESULT hr =
            OpenRelative(parentFolder.Get(), name, kHolderAccess, kHolderShare, kFileCreate, kFileDirectoryFile,
                         (administrators ? ownedByAdministrators : ownedByCreator).Get(), &folder);
        if (hr == HresultFromWin32(ERROR_INVALID_OWNER) && administrators) {
            // Only a token that holds Administrators as a possible owner (an
            // elevated one) may name it; any other keeps itself as the owner,
            // whose implicit rights the OWNER RIGHTS entry limits.
            administrators = false;
            hr = OpenRelative(parentFolder.Get(), name, kHolderAccess, kHolderShare, kFileCreate, kFileDirectoryFile,
                              ownedByCreator.Get(), &folder);
        }
        if (IsTakenName(hr)) continue;  // never someone else's folder
        if (FAILED(hr)) return hr;

        m_parent = std::move(parentFolder);
        m_handle = std::move(folder);
        m_name = name;
        hr = CheckCreated(administrators);
        if (SUCCEEDED(hr)) {
            m_path = GetFinalPath(m_handle.Get());
            if (m_path.empty()) hr = FailureFromLastError();
        }
        if (FAILED(hr)) Delete();  // ours, just made: gone again
        return hr;
    }
    return HresultFromWin32(ERROR_ALREADY_EXISTS);
}

HRESULT CWorkingFolder::CheckCreated(bool ownedByAdministrators) const {
    DWORD attributes = 0;
    if (!GetHandleAttributes(m_handle.Get(), &attributes)) return FailureFromLastError();
    if (!IsPlainFolderAttributes(attributes)) return kFolderIsLink;
    // Wine keeps no security descriptors of files: it answers with an owner
    // made up from the Unix file's owner, never the one the folder was
    // created with. The check is skipped there alone.
    if (!RunsOnWine() && !OwnerIs(m_handle.Get(), ownedByAdministrators)) return kFolderWrongOwner;
    if (!VolumeKeepsAcls(m_handle.Get())) return kFolderNoAcls;
    return S_OK;
}

bool CWorkingFolder::Delete() {
    if (!m_handle) return true;
    bool result = DeleteOpenFolderTree(m_handle.Get(), false);
    // Removing the folder itself takes a handle with delete access, which
    // the holder has not. Reopened by its name relative to its parent's
    // handle, never following a link, and removed only when it is still the
    // very folder that was held: whatever might have taken the name in the
    // meantime is left alone.
    CFileIdentity held;
    const bool known = held.Read(m_handle.Get());
    m_handle.Reset();
    CHandle folder;
    CFileIdentity reopened;
    DWORD listed = 0;
    DWORD attributes = 0;
    if (known &&
        SUCCEEDED(OpenRelative(
            m_parent.Get(), m_name, DELETE | FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, kFileOpen, 0, nullptr, &folder)) &&
        reopened.Read(folder.Get()) && reopened == held && GetHandleAttributes(folder.Get(), &attributes) &&
        IsPlainFolderAttributes(attributes) && GetListedAttributes(m_parent.Get(), m_name, &listed) &&
        IsPlainFolderAttributes(listed)) {
        if (!DeleteOpenFolderTree(folder.Get(), true)) result = false;
    } else {
        result = false;
    }
    folder.Reset();  // the folder goes with its last handle
    m_parent.Reset();
    m_name.clear();
    m_path.clear();
    return result;
}

}  // namespace orelib
