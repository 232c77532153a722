#include <windows.h>

#include <string>
#include <utility>

#include "app/App.h"
#include "app/WorkingFolder.h"
#include "orelib/Path.h"
#include "orelib/RandomName.h"
#include "orelib/WorkingFolderParent.h"
#include "orelib/win32/ErrorText.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/LinkFreeFolder.h"
#include "orelib/win32/SecureRandom.h"
#include "orelib/win32/TempFolders.h"

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

ElevationSource& Elevation() {
    static ElevationSource source;
    return source;
}

// Win32 codes print as "(183)", other HRESULTs in hexadecimal.
uint32_t ErrorCodeOf(HRESULT hr) {
    return HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<uint32_t>(hr);
}

// Why a folder that could be made was not used.
const wchar_t* RefusalReason(HRESULT hr) {
    if (hr == orelib::kFolderIsLink) return L"The temporary folder is a link to another place.\n\n";
    if (hr == orelib::kFolderWrongOwner) return L"The new folder is not owned by the Administrators.\n\n";
    if (hr == orelib::kFolderNoAcls) return L"The drive of the temporary folder keeps no access rights.\n\n";
    return L"";
}
}  // namespace

std::wstring MakeWorkingFolderName() {
    return orelib::MakeRandomName(L"ktv", kNameAlphabet, kRandomChars, orelib::FillSecureRandom);
}

void SetWorkingFolderNameSource(WorkingFolderNameSource source) {
    NameSource() = std::move(source);
}

void SetElevationSource(ElevationSource source) {
    Elevation() = std::move(source);
}

HRESULT FindWorkingFolderParent(std::wstring* parent, bool* usersTemp) {
    const bool elevated = Elevation() ? Elevation()() : orelib::IsProcessElevated();
    *usersTemp = !elevated;
    std::wstring userTemp;
    std::wstring windowsDir;
    bool systemTempExists = false;
    if (elevated) {
        windowsDir = orelib::GetSystemWindowsDir();
        if (windowsDir.empty()) return orelib::FailureFromLastError();
        systemTempExists = orelib::FolderExists(orelib::CombinePath(windowsDir, L"SystemTemp"));
    } else {
        userTemp = orelib::GetUserTempDir();
        if (userTemp.empty()) return orelib::FailureFromLastError();
    }
    *parent = orelib::ChooseWorkingFolderParent(elevated, windowsDir, systemTempExists, userTemp);
    return S_OK;
}

HRESULT CreateWorkingFolder(orelib::CWorkingFolder& owner, const std::wstring& parent, bool usersTemp) {
    const WorkingFolderNameSource& source = NameSource();
    return owner.Create(parent, usersTemp, source ? source : WorkingFolderNameSource(MakeWorkingFolderName),
                        kMaxNameTries);
}

std::wstring CreateFolderErrorText(HRESULT hr) {
    return std::wstring(L"Could not create a temporary folder for the installation files.\n\n") +
           RefusalReason(hr) + orelib::FormatErrorText(ErrorCodeOf(hr));
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

std::wstring LinkedFolderErrorText(const std::wstring& link) {
    return L"The installation files are not extracted through a link to another place (a junction "
           L"or symbolic link):\n\n" + link;
}

std::wstring TempPathErrorText(unsigned long error) {
    return L"Could not get temp directory path.\n\n" + orelib::FormatErrorText(error);
}

bool CApp::PrepareWorkingFolder() {
    if (m_extractOnly) {
        m_workingFolder =
            ExtractOnlyFolder(m_workingFolder, orelib::GetCurrentDir(), orelib::GetModulePath(nullptr));
        // Extracting through a link would write into whatever it points at.
        std::wstring link;
        if (orelib::FindLinkOnPath(m_workingFolder, &link)) {
            DoMessageBox(LinkedFolderErrorText(link).c_str(), MB_OK | MB_ICONERROR, 0);
            return false;
        }
        return true;
    }

    std::wstring parent;
    bool usersTemp = false;
    HRESULT hr = FindWorkingFolderParent(&parent, &usersTemp);
    if (FAILED(hr)) {
        DoMessageBox(TempPathErrorText(ErrorCodeOf(hr)).c_str(), MB_OK | MB_ICONERROR, 0);
        return false;
    }
    // Created here, not by the extraction, so that a folder of the same name
    // that someone else prepared is never used; held by its owner until the
    // run deletes it.
    hr = CreateWorkingFolder(m_ownedFolder, parent, usersTemp);
    if (FAILED(hr)) {
        DoMessageBox(CreateFolderErrorText(hr).c_str(), MB_OK | MB_ICONERROR, 0);
        return false;
    }
    m_workingFolder = m_ownedFolder.Path();
    return true;
}
