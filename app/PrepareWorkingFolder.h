#pragma once
// The working-folder step: where a run extracts to, and the texts of its
// failures.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/StepResult.h"
#include "dialog/RunSettings.h"
#include "orelib/WorkingFolderParent.h"
#include "orelib/win32/WorkingFolder.h"

namespace app {

// Where the working folder may go, in the order to try: the system's
// temporary folders when the run is elevated, the user's TEMP only when it is
// not. The HRESULT of the failing call when there is none.
HRESULT FindWorkingFolderParents(std::vector<orelib::CParentCandidate>* parents);

// Whether the run counts as elevated; an empty source asks the token. For
// tests of the unelevated path (Wine reports every process as elevated).
using ElevationSource = std::function<bool()>;
void SetElevationSource(ElevationSource source);

// The extract-only folder: `given` made absolute against `currentDir`, or,
// when nothing was given, a folder in `currentDir` named after the program
// file without its extension. An absolute path is kept as typed.
std::wstring ExtractOnlyFolder(const std::wstring& given, const std::wstring& currentDir,
                               const std::wstring& modulePath);

// The message when the extract-only folder, or a folder on the way to it,
// is a link: `link` is that folder.
std::wstring LinkedFolderErrorText(const std::wstring& link);

// The temporary-directory failure message: a fixed English text and the error.
std::wstring TempPathErrorText(unsigned long error);

// With /x: settings.m_workingFolder made absolute and checked for links.
// Otherwise `owner` makes and holds a new folder, whose path becomes
// settings.m_workingFolder.
StepResult PrepareWorkingFolder(dialog::CRunSettings& settings, orelib::CWorkingFolder& owner);

}  // namespace app
