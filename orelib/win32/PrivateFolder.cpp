#include "orelib/win32/PrivateFolder.h"

#include <sddl.h>

namespace orelib {

namespace {

// Inherited by files (OI) and folders (CI) below.
constexpr wchar_t kAdministratorsAndSystem[] = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
// OWNER RIGHTS (S-1-3-4): read and execute (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE).
constexpr wchar_t kOwnerReadExecute[] = L"(A;OICI;0x1200a9;;;S-1-3-4)";
// Modify: read, write, execute and DELETE (0x1301bf), not WRITE_DAC or WRITE_OWNER.
constexpr wchar_t kModifyPrefix[] = L"(A;OICI;0x1301bf;;;";

}  // namespace

std::wstring PrivateFolderSddl(const std::wstring& creatorSid) {
    std::wstring sddl = kAdministratorsAndSystem;
    if (!creatorSid.empty()) sddl += kModifyPrefix + creatorSid + L")";
    return sddl + kOwnerReadExecute;
}

CSecurityDescriptor::CSecurityDescriptor(const std::wstring& sddl) {
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &m_descriptor,
                                                              nullptr)) {
        m_descriptor = nullptr;
    }
}

CSecurityDescriptor::~CSecurityDescriptor() {
    if (m_descriptor) LocalFree(m_descriptor);
}

}  // namespace orelib
