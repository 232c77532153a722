#pragma once
// Making the run's working folder: at start-up, and again elsewhere after the
// disk ran full.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "orelib/win32/WorkingFolder.h"

namespace dialog {

// "ktv" and 8 characters drawn evenly from a-z and 0-9 with the system's
// cryptographic generator; empty when it fails.
std::wstring MakeWorkingFolderName();

// `owner` creates and holds a new working folder under `parent`, with a new
// name for every name that exists already (at most 16 names).
HRESULT CreateWorkingFolder(orelib::CWorkingFolder& owner, const std::wstring& parent, bool usersTemp);

// Where CreateWorkingFolder takes its names from; an empty source restores
// MakeWorkingFolderName. For tests that need a name to collide.
using WorkingFolderNameSource = std::function<std::wstring()>;
void SetWorkingFolderNameSource(WorkingFolderNameSource source);

// The failure message when no working folder could be created: a fixed
// English text, the reason for a folder that was refused, and the error.
std::wstring CreateFolderErrorText(HRESULT hr);

// One place a working folder could not be made in, and why.
struct CFolderAttempt {
    std::wstring parent;
    HRESULT result;
};
// The failure message when every place refused: each place with its reason.
std::wstring CreateFolderErrorText(const std::vector<CFolderAttempt>& attempts);

// Win32 codes print as "(183)", other HRESULTs in hexadecimal.
uint32_t ErrorCodeOf(HRESULT hr);

}  // namespace dialog
