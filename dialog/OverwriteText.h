#pragma once
// The overwrite prompt's message: the system's "file exists" text, the file
// name alone in quotes, and the question.
#include <string>

namespace dialog {

std::wstring BuildOverwriteText(const std::wstring& fileExistsText, const std::wstring& filePath,
                                const std::wstring& question);

}  // namespace dialog
