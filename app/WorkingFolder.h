#pragma once
// Names and paths of the folder a run extracts into.
#include <string>

// "ktv" and 8 characters drawn with rand() from a-z and 0-9; nothing checks
// whether such a folder exists already.
std::wstring MakeWorkingFolderName();

// The extract-only folder: `given` made absolute against `currentDir`, or,
// when nothing was given, a folder in `currentDir` named after the program
// file without its extension. An absolute path is kept as typed.
std::wstring ExtractOnlyFolder(const std::wstring& given, const std::wstring& currentDir,
                               const std::wstring& modulePath);

// The temporary-directory failure message: a fixed English text and the error.
std::wstring TempPathErrorText(unsigned long error);
