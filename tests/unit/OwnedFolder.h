#pragma once
// A run's own working folder for tests: made by orelib::CWorkingFolder at a
// chosen path (its parent must exist), as start-up makes it.
#include <string>

#include "orelib/Path.h"
#include "orelib/win32/WorkingFolder.h"

inline HRESULT MakeOwnedFolder(orelib::CWorkingFolder& owner, const std::wstring& path) {
    const std::wstring name = orelib::GetFileNamePart(path);
    return owner.Create(
        orelib::GetFileDirPart(path), false, [name] { return name; }, 1);
}
