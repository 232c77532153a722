#include "orelib/win32/PrivateFolder.h"

#include <sddl.h>

#include "orelib/Path.h"
#include "orelib/win32/Files.h"

namespace orelib {

namespace {

// Protected DACL, inherited by files (OI) and folders (CI) below:
//   Administrators (BA), SYSTEM (SY): full control (FA)
//   OWNER RIGHTS (S-1-3-4): read and execute (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE)
#define PRIVATE_FOLDER_DACL \
    L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;S-1-3-4)"
// The same, owned by Administrators: an unelevated token of the same user is
// then not the owner either.
constexpr wchar_t kOwnedByAdministrators[] = L"O:BA" PRIVATE_FOLDER_DACL;
constexpr wchar_t kOwnedByCreator[] = PRIVATE_FOLDER_DACL;
#undef PRIVATE_FOLDER_DACL

class CSecurityDescriptor {
public:
    explicit CSecurityDescriptor(const wchar_t* sddl) {
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                  &m_descriptor, nullptr)) {
            m_descriptor = nullptr;
        }
    }
    ~CSecurityDescriptor() {
        if (m_descriptor) LocalFree(m_descriptor);
    }
    CSecurityDescriptor(const CSecurityDescriptor&) = delete;
    CSecurityDescriptor& operator=(const CSecurityDescriptor&) = delete;

    PSECURITY_DESCRIPTOR Get() const { return m_descriptor; }

private:
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
};

HRESULT CreateWithDescriptor(const std::wstring& path, const wchar_t* sddl) {
    CSecurityDescriptor descriptor(sddl);
    if (!descriptor.Get()) return FailureFromLastError();
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.Get(), FALSE};
    return CreateDirectoryW(path.c_str(), &attributes) ? S_OK : FailureFromLastError();
}

}  // namespace

const wchar_t* PrivateFolderSddl(bool ownedByAdministrators) {
    return ownedByAdministrators ? kOwnedByAdministrators : kOwnedByCreator;
}

HRESULT CreatePrivateFolder(const std::wstring& path) {
    HRESULT hr = CreateWithDescriptor(path, kOwnedByAdministrators);
    // Only a token that holds Administrators as a possible owner (an elevated
    // one) may name it; any other keeps itself as the owner, whose implicit
    // rights the OWNER RIGHTS entry limits.
    if (hr == HRESULT_FROM_WIN32(ERROR_INVALID_OWNER)) hr = CreateWithDescriptor(path, kOwnedByCreator);
    return hr;
}

HRESULT CreateUniquePrivateFolder(const std::wstring& parent,
                                  const std::function<std::wstring()>& nextName, int maxTries,
                                  std::wstring* created) {
    for (int attempt = 0; attempt < maxTries; ++attempt) {
        const std::wstring name = nextName();
        if (name.empty()) return E_FAIL;
        const std::wstring path = CombinePath(parent, name);
        const HRESULT hr = CreatePrivateFolder(path);
        if (hr == S_OK) {
            *created = path;
            return S_OK;
        }
        if (hr != HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS)) return hr;
    }
    return HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS);
}

}  // namespace orelib
