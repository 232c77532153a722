#include <windows.h>

#include <string>
#include <utility>

#include "app/App.h"
#include "app/WorkingFolder.h"
#include "orelib/Path.h"
#include "orelib/RandomName.h"
#include "orelib/win32/ErrorText.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/FolderLock.h"
#include "orelib/win32/PrivateFolder.h"
#include "orelib/win32/SecureRandom.h"

namespace {
const wchar_t kNameAlphabet[] = L"abcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kRandomChars = 8;
// A fresh name collides with an existing folder about once in 2.8e12 draws:
// this many collisions in a row mean someone is in the way.
constexpr int kMaxNameTries = 16;

WorkingFolderNameSource& NameSource() {
    static WorkingFolderNameSource source;
    return source;
}

// Win32 codes print as "(183)", other HRESULTs in hexadecimal.
uint32_t ErrorCodeOf(HRESULT hr) {
    return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<uint32_t>(hr);
}
}  // namespace

std::wstring MakeWorkingFolderName() {
    return orelib::MakeRandomName(L"ktv", kNameAlphabet, kRandomChars, orelib::FillSecureRandom);
}

void SetWorkingFolderNameSource(WorkingFolderNameSource source) {
    NameSource() = std::move(source);
}

HRESULT CreateWorkingFolder(const std::wstring& parent, std::wstring* folder) {
    const WorkingFolderNameSource& source = NameSource();
    return orelib::CreateUniquePrivateFolder(
        parent, source ? source : WorkingFolderNameSource(MakeWorkingFolderName), kMaxNameTries, folder);
}

std::wstring CreateFolderErrorText(HRESULT hr) {
    return L"Could not create a temporary folder for the installation files.\n\n" +
           orelib::FormatErrorText(ErrorCodeOf(hr));
}

HRESULT CreateLockedWorkingFolder(const std::wstring& parent, std::wstring* folder) {
    std::wstring created;
    HRESULT hr = CreateWorkingFolder(parent, &created);
    if (FAILED(hr)) return hr;
    hr = orelib::WorkingFolderLock().Acquire(created);
    if (FAILED(hr)) {
        // A folder that cannot be held could be swapped: not used at all.
        orelib::DeleteFolderTree(created.c_str(), orelib::kDeleteAll);
        return hr;
    }
    *folder = created;
    return S_OK;
}

void RemoveUnusedWorkingFolder(const std::wstring& folder) {
    if (!folder.empty()) orelib::DeleteWorkingFolder(folder);
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
    // Created here, not by the extraction, so that a folder of the same name
    // that someone else prepared is never used; held in place so that nobody
    // can rename it away and put their own in its place.
    std::wstring folder;
    const HRESULT hr = CreateLockedWorkingFolder(temp, &folder);
    if (FAILED(hr)) {
        DoMessageBox(CreateFolderErrorText(hr).c_str(), MB_OK | MB_ICONERROR, 0);
        return false;
    }
    m_workingFolder = folder;
    return true;
}
