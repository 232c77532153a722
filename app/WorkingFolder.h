#pragma once
// Names and paths of the folder a run extracts into.
#include <windows.h>

#include <functional>
#include <string>

// "ktv" and 8 characters drawn evenly from a-z and 0-9 with the system's
// cryptographic generator; empty when it fails.
std::wstring MakeWorkingFolderName();

// Creates a new working folder under `parent` that only Administrators and
// SYSTEM can change, with a new name for every name that exists already (at
// most 16 names). On success *folder holds its full path.
HRESULT CreateWorkingFolder(const std::wstring& parent, std::wstring* folder);

// CreateWorkingFolder, and the folder then held by orelib::WorkingFolderLock()
// so that it cannot be renamed away and replaced until the run deletes it.
// A folder that cannot be held is deleted again and the error returned.
HRESULT CreateLockedWorkingFolder(const std::wstring& parent, std::wstring* folder);

// Where CreateWorkingFolder takes its names from; an empty source restores
// MakeWorkingFolderName. For tests that need a name to collide.
using WorkingFolderNameSource = std::function<std::wstring()>;
void SetWorkingFolderNameSource(WorkingFolderNameSource source);

// The failure message when no working folder could be created: a fixed
// English text and the error.
std::wstring CreateFolderErrorText(HRESULT hr);

// Deletes a working folder that start-up created but the run never used,
// letting go of the lock first when it holds this folder.
void RemoveUnusedWorkingFolder(const std::wstring& folder);

// The extract-only folder: `given` made absolute against `currentDir`, or,
// when nothing was given, a folder in `currentDir` named after the program
// file without its extension. An absolute path is kept as typed.
std::wstring ExtractOnlyFolder(const std::wstring& given, const std::wstring& currentDir,
                               const std::wstring& modulePath);

// The temporary-directory failure message: a fixed English text and the error.
std::wstring TempPathErrorText(unsigned long error);
