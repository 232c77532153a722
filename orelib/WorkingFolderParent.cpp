#include "orelib/WorkingFolderParent.h"

#include "orelib/Path.h"

namespace orelib {

std::wstring ChooseWorkingFolderParent(bool elevated, const std::wstring& windowsDir, bool systemTempExists,
                                       const std::wstring& userTemp) {
    if (!elevated) return userTemp;
    if (windowsDir.empty()) return std::wstring();
    return CombinePath(windowsDir, systemTempExists ? L"SystemTemp" : L"Temp");
}

}  // namespace orelib
