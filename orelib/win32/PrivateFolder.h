#pragma once
// Folders that an unelevated program of the same user cannot change: the
// elevated stub extracts into one and starts a program from it.
#include <windows.h>

#include <functional>
#include <string>

namespace orelib {

// Creates the folder `path` (its parent must exist) owned by Administrators
// where the token allows it, with a protected DACL that every file and folder
// below inherits: Administrators and SYSTEM full control, the owner read and
// execute only (OWNER RIGHTS, which takes away the owner's implicit right to
// change the DACL). Nothing of the parent's DACL is inherited.
// HRESULT_FROM_WIN32(ERROR_ALREADY_EXISTS) when anything of that name exists:
// a folder someone else prepared is never taken over.
HRESULT CreatePrivateFolder(const std::wstring& path);

// The security descriptor CreatePrivateFolder gives the folder, as SDDL:
// with Administrators as owner, or with the creator as owner (for tokens that
// may not name Administrators).
const wchar_t* PrivateFolderSddl(bool ownedByAdministrators);

// Creates a new private folder under `parent`, named by `nextName`; a name
// that exists already is passed over for the next one, at most `maxTries`
// names in all. On success *created holds the full path. An empty name from
// `nextName` ends the search with E_FAIL.
HRESULT CreateUniquePrivateFolder(const std::wstring& parent,
                                  const std::function<std::wstring()>& nextName, int maxTries,
                                  std::wstring* created);

}  // namespace orelib
