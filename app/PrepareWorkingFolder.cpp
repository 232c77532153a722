#include <windows.h>

#include <cstdlib>
#include <string>

#include "app/App.h"
#include "app/WorkingFolder.h"
#include "orelib/Path.h"
#include "orelib/win32/ErrorText.h"
#include "orelib/win32/Files.h"

namespace {
const wchar_t kNameAlphabet[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
constexpr int kAlphabetSize = 36;
constexpr int kRandomChars = 8;
}  // namespace

std::wstring MakeWorkingFolderName() {
    std::wstring name = L"ktv";
    for (int i = 0; i < kRandomChars; ++i) name += kNameAlphabet[std::rand() % kAlphabetSize];
    return name;
}

std::wstring ExtractOnlyFolder(const std::wstring& given, const std::wstring& currentDir,
                               const std::wstring& modulePath) {
    if (given.empty()) {
        return orelib::CombinePath(currentDir,
                                   orelib::GetFileNamePart(orelib::RemoveExtension(modulePath)));
    }
    if (orelib::IsRelativePath(given.c_str())) return orelib::CombinePath(currentDir, given);
    return given;
}

std::wstring TempPathErrorText(unsigned long error) {
    return L"Could not get temp directory path.\n\n" + orelib::FormatErrorText(error);
}

bool CApp::PrepareWorkingFolder() {
    if (m_extractOnly) {
        m_workingFolder =
            ExtractOnlyFolder(m_workingFolder, orelib::GetCurrentDir(), orelib::GetModulePath(nullptr));
        return true;
    }

    std::wstring temp(MAX_PATH, L'\0');
    DWORD length = GetTempPathW(MAX_PATH, &temp[0]);
    if (length > MAX_PATH) {
        // A longer temporary path than the usual buffer: read it whole.
        temp.assign(length, L'\0');
        length = GetTempPathW(length, &temp[0]);
        if (length >= temp.size()) length = 0;
    }
    if (length == 0) {
        const DWORD error = GetLastError();
        DoMessageBox(TempPathErrorText(error).c_str(), MB_OK | MB_ICONERROR, 0);
        return false;
    }
    temp.resize(length);
    m_workingFolder = orelib::CombinePath(temp, MakeWorkingFolderName());
    return true;
}
