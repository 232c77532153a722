#pragma once
// The system facts behind the choice of the working folder's parent.
#include <windows.h>

#include <string>

#include "orelib/WorkingFolderParent.h"

namespace orelib {

// Reads what CTempFolderFacts holds: for an elevated run the Windows folder
// and the machine's TMP and TEMP (HKLM, as stored), for an unelevated one
// the user's TEMP. Fails only when an unelevated run cannot read its TEMP.
HRESULT ReadTempFolderFacts(bool elevated, CTempFolderFacts* facts);

}  // namespace orelib
