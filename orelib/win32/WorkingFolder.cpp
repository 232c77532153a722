#include "orelib/win32/Result.h"
#include "orelib/win32/WorkingFolder.h"

#include <aclapi.h>
#include <winternl.h>

#include <cstdint>
#include <vector>

#include "orelib/Path.h"
#include "orelib/win32/DeleteOpenFolder.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/PrivateFolder.h"
#include "orelib/win32/ProcessToken.h"
#include "orelib/win32/RelativeOpen.h"

namespace orelib {

namespace {

// What the holder needs: list and fill the folder, read its owner. Not
// DELETE: every other opener (a process with the folder as its current
// directory, Wine's folder listing) would then have to share delete.
constexpr ACCESS_MASK kHolderAccess =
    READ_CONTROL | FILE_LIST_DIRECTORY | FILE_ADD_FILE | FILE_ADD_SUBDIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES;
// Reading and writing stay possible, delete is not shared: the folder and
// every folder above it can then be neither renamed nor removed.
constexpr ULONG kHolderShare = FILE_SHARE_READ | FILE_SHARE_WRITE;

// The owner the folder got must be this process: the owner the token gives
// new objects (Administrators for an elevated administrator by default, the
// user under the "object creator" policy, or SYSTEM), or the token's user.
// Anyone else means the descriptor asked for did not take.
bool OwnedByThisProcess(HANDLE handle) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    bool matches = false;
    for (TOKEN_INFORMATION_CLASS which : {TokenOwner, TokenUser}) {
        const std::vector<BYTE> sid = ProcessTokenSid(which);
        if (owner && !sid.empty() && EqualSid(owner, const_cast<BYTE*>(sid.data()))) matches = true;
    }
    LocalFree(descriptor);
    return matches;
}

bool VolumeKeepsAcls(HANDLE handle) {
    DWORD flags = 0;
    return GetVolumeInformationByHandleW(handle, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
           (flags & FILE_PERSISTENT_ACLS) != 0;
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
    RETURN_IF_WIN32_BOOL_FALSE(GetHandleAttributes(parentFolder.Get(), &attributes));
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

    // An unelevated run extracts and deletes as its user, who must be able to
    // fill and empty the folder; an elevated run's folder stays closed to the
    // same user's unelevated programs, wherever it is made (a folder the user
    // picked after the disk ran full too).
    const CSecurityDescriptor security(
        PrivateFolderSddl(IsProcessElevated() ? L"" : SidText(ProcessTokenSid(TokenUser))));
    if (!security.Get()) return FailureFromLastError();
    for (int attempt = 0; attempt < maxTries; ++attempt) {
        const std::wstring name = nextName();
        if (name.empty()) return E_FAIL;
        CHandle folder;
        HRESULT hr = OpenRelative(parentFolder.Get(), name, kHolderAccess, kHolderShare, kFileCreate,
                                  kFileDirectoryFile, security.Get(), &folder);
        if (IsTakenName(hr)) continue;  // never someone else's folder
        RETURN_IF_FAILED(hr);

        m_parent = std::move(parentFolder);
        m_handle = std::move(folder);
        m_name = name;
        hr = CheckCreated();
        if (SUCCEEDED(hr)) {
            m_path = GetFinalPath(m_handle.Get());
            // Volumes the mount manager does not know (some RAM disks and
            // encrypted volumes) have no final path: the parent's, or the
            // parent as given, with the name that was just created in it.
            if (m_path.empty()) {
                const std::wstring parentFinal = GetFinalPath(m_parent.Get());
                m_path = CombinePath(parentFinal.empty() ? parent : parentFinal, name);
            }
        }
        if (FAILED(hr)) Delete();  // ours, just made: gone again
        return hr;
    }
    return HresultFromWin32(ERROR_ALREADY_EXISTS);
}

HRESULT CWorkingFolder::CheckCreated() const {
    DWORD attributes = 0;
    RETURN_IF_WIN32_BOOL_FALSE(GetHandleAttributes(m_handle.Get(), &attributes));
    if (!IsPlainFolderAttributes(attributes)) return kFolderIsLink;
    if (!OwnedByThisProcess(m_handle.Get())) return kFolderWrongOwner;
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
