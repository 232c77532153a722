#pragma once
// Folders that an unelevated program of the same user cannot change: the
// elevated stub extracts into one and starts a program from it.
#include <windows.h>

namespace orelib {

// The security descriptor a private folder is created with, as SDDL: a
// protected DACL that every file and folder below inherits, Administrators
// and SYSTEM full control, the owner read and execute only (OWNER RIGHTS,
// which takes away the owner's implicit right to change the DACL); owned by
// Administrators, or by the creator for tokens that may not name
// Administrators (unelevated ones). Nothing of the parent's DACL is inherited.
const wchar_t* PrivateFolderSddl(bool ownedByAdministrators);

// A security descriptor made from SDDL, freed with its owner.
class CSecurityDescriptor {
public:
    explicit CSecurityDescriptor(const wchar_t* sddl);
    ~CSecurityDescriptor();
    CSecurityDescriptor(const CSecurityDescriptor&) = delete;
    CSecurityDescriptor& operator=(const CSecurityDescriptor&) = delete;

    PSECURITY_DESCRIPTOR Get() const { return m_descriptor; }  // null when the SDDL was refused

private:
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
};

}  // namespace orelib
