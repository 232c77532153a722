#pragma once
// The overwrite prompt's message: the system's "file exists" text, the
// file's path below the target folder in quotes (the name alone would not
// say which of several files of that name), and the question.
#include <string>

namespace dialog {

std::wstring BuildOverwriteText(const std::wstring& fileExistsText, const std::wstring& targetFolder,
                                const std::wstring& filePath, const std::wstring& question);

}  // namespace dialog
