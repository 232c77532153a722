#include "dialog/OverwriteText.h"

#include "orelib/Path.h"

namespace dialog {

std::wstring BuildOverwriteText(const std::wstring& fileExistsText, const std::wstring& targetFolder,
                                const std::wstring& filePath, const std::wstring& question) {
    return fileExistsText + L"\n\n\"" + orelib::GetPathBelow(targetFolder, filePath) + L"\"\n\n" + question;
}

}  // namespace dialog
