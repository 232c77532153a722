#pragma once
// Windows path composition and splitting. Only the backslash separates
// components; nothing here touches the file system.
#include <string>

namespace orelib {

// False only for "\\..." and "<letter>:...": so "\out" is relative and "E:out" absolute.
bool IsRelativePath(const wchar_t* path);
// Appends "\" to a non-empty path that does not end with one.
void AddBackslash(std::wstring& path);
std::wstring WithBackslash(std::wstring path);
// AddBackslash(folder) + name; no other normalisation.
std::wstring CombinePath(std::wstring folder, const std::wstring& name);
// Everything before the last "." anywhere in the path; "" when there is none.
std::wstring RemoveExtension(const std::wstring& path);
// The last component; a trailing "\" is ignored.
std::wstring GetFileNamePart(const std::wstring& path);
// Up to and including the last "\"; "" when there is none.
std::wstring GetFileDirPart(const std::wstring& path);
// The part of `path` below `folder` ("sub\data.cab" for "C:\out\sub\data.cab"
// below "C:\out"), the folder compared without case; the last component
// when `path` does not lie below `folder`.
std::wstring GetPathBelow(const std::wstring& folder, const std::wstring& path);

}  // namespace orelib
