#pragma once
// Two shortcuts the stub's copy of the library's extract callback takes
// around each new file, for file system calls that cost a trip through the
// whole folder or a second open of the file (under Wine each costs as much
// as making the file, or more). Each answers only the case it is sure of; for
// anything else the callback goes its own way, as before.
#include <windows.h>

// Before making a file the callback checks whether the name exists with
// FindFirstFile, which under Wine reads the whole folder when the name is
// absent: the usual case, in a fresh folder. One attribute query of the name
// answers that case with one lookup.
//
// True only when the system says there is no such file or path. Anything
// else (a file or folder there, access denied, a sharing violation, a bad
// name) leaves the answer to the callback's own check.
bool NameIsSurelyAbsent(const wchar_t* path);

// After closing a file the callback sets its stored attributes by path,
// which opens the file again. Set through the still open handle instead,
// with the same value the path call would set. False when that fails: the
// callback then sets them by path as before.
bool SetAttributesThroughHandle(HANDLE file, DWORD attributes);
