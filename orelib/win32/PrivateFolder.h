#pragma once
// Folders that an unelevated program of the same user cannot change: the
// elevated stub extracts into one and starts a program from it.
#include <windows.h>

#include <string>

namespace orelib {

// The security descriptor a working folder is created with, as SDDL: a
// protected DACL that every file and folder below inherits, nothing of the
// parent's. Administrators and SYSTEM have full control; the owner, whoever
// the system makes it (the token's default owner), has read and execute only
// (OWNER RIGHTS, which also takes away the owner's implicit right to change
// the DACL). `creatorSid` empty: an elevated run's folder, which no
// unelevated program can change. Otherwise a folder in the user's own TEMP
// for an unelevated run, where that user ("S-1-5-21-...") may also add,
// change and delete what is inside (modify rights, still no WRITE_DAC).
std::wstring PrivateFolderSddl(const std::wstring& creatorSid);

// A security descriptor made from SDDL, freed with its owner.
class CSecurityDescriptor {
public:
    explicit CSecurityDescriptor(const std::wstring& sddl);
    ~CSecurityDescriptor();
    CSecurityDescriptor(const CSecurityDescriptor&) = delete;
    CSecurityDescriptor& operator=(const CSecurityDescriptor&) = delete;

    PSECURITY_DESCRIPTOR Get() const { return m_descriptor; }  // null when the SDDL was refused

private:
    PSECURITY_DESCRIPTOR m_descriptor = nullptr;
};

}  // namespace orelib
