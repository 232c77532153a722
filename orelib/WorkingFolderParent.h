#pragma once
// Which folder a run's working folder is made in. Pure logic; the caller
// asks the system for the facts.
#include <string>

namespace orelib {

// An elevated run takes the system's own temporary folder, which only
// Administrators and SYSTEM can change: "SystemTemp" in the Windows folder
// where that exists, else the Windows folder's "Temp". Never the user's TEMP,
// which any program of the same user can point elsewhere. An unelevated run
// takes `userTemp`. `windowsDir` comes from the system, never from the
// environment.
std::wstring ChooseWorkingFolderParent(bool elevated, const std::wstring& windowsDir, bool systemTempExists,
                                       const std::wstring& userTemp);

}  // namespace orelib
