#pragma once
// Names, parents and paths of the folder a run extracts into.
#include <windows.h>

#include <functional>
#include <string>

#include "orelib/win32/WorkingFolder.h"

// "ktv" and 8 characters drawn evenly from a-z and 0-9 with the system's
// cryptographic generator; empty when it fails.
std::wstring MakeWorkingFolderName();

// Where the working folder goes: the system's temporary folder when the run
// is elevated, the user's TEMP only when it is not (then *usersTemp is true).
// The HRESULT of the failing call when there is none.
HRESULT FindWorkingFolderParent(std::wstring* parent, bool* usersTemp);

// `owner` creates and holds a new working folder under `parent`, with a new
// name for every name that exists already (at most 16 names).
HRESULT CreateWorkingFolder(orelib::CWorkingFolder& owner, const std::wstring& parent, bool usersTemp);

// Where CreateWorkingFolder takes its names from; an empty source restores
// MakeWorkingFolderName. For tests that need a name to collide.
using WorkingFolderNameSource = std::function<std::wstring()>;
void SetWorkingFolderNameSource(WorkingFolderNameSource source);

// Whether the run counts as elevated; an empty source asks the token. For
// tests of the unelevated path (Wine reports every process as elevated).
using ElevationSource = std::function<bool()>;
void SetElevationSource(ElevationSource source);

// The failure message when no working folder could be created: a fixed
// English text, the reason for a folder that was refused, and the error.
std::wstring CreateFolderErrorText(HRESULT hr);

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
