#include "orelib/win32/PrivateFolder.h"

#include <sddl.h>

namespace orelib {

namespace {

// Protected DACL, inherited by files (OI) and folders (CI) below:
//   Administrators (BA), SYSTEM (SY): full control (FA)
//   OWNER RIGHTS (S-1-3-4): read and execute (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE)
#define PRIVATE_FOLDER_DACL L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;S-1-3-4)"
// The same, owned by Administrators: an unelevated token of the same user is
// then not the owner either.
constexpr wchar_t kOwnedByAdministrators[] = L"O:BA" PRIVATE_FOLDER_DACL;
constexpr wchar_t kOwnedByCreator[] = PRIVATE_FOLDER_DACL;
#undef PRIVATE_FOLDER_DACL

}  // namespace

const wchar_t* PrivateFolderSddl(bool ownedByAdministrators) {
    return ownedByAdministrators ? kOwnedByAdministrators : kOwnedByCreator;
}

CSecurityDescriptor::CSecurityDescriptor(const wchar_t* sddl) {
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1, &m_descriptor, nullptr)) {
        m_descriptor = nullptr;
    }
}

CSecurityDescriptor::~CSecurityDescriptor() {
    if (m_descriptor) LocalFree(m_descriptor);
}

}  // namespace orelib
