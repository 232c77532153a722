#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "app/PrepareWorkingFolder.h"
#include "dialog/NewWorkingFolder.h"
#include "orelib/Path.h"
#include "orelib/WorkingFolderParent.h"
#include "orelib/win32/ErrorText.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/LinkFreeFolder.h"
#include "orelib/win32/ProcessToken.h"
#include "orelib/win32/Result.h"
#include "orelib/win32/TempFolders.h"

namespace app {

using namespace dialog;

namespace {
ElevationSource& Elevation() {
    static ElevationSource source;
    return source;
}
}  // namespace

void SetElevationSource(ElevationSource source) { Elevation() = std::move(source); }

HRESULT FindWorkingFolderParents(std::vector<orelib::CParentCandidate>* parents) {
    const bool elevated = Elevation() ? Elevation()() : orelib::IsProcessElevated();
    orelib::CTempFolderFacts facts;
    RETURN_IF_FAILED(orelib::ReadTempFolderFacts(elevated, &facts));
    *parents = orelib::WorkingFolderParents(facts);
    return parents->empty() ? orelib::HresultFromWin32(ERROR_PATH_NOT_FOUND) : S_OK;
}

std::wstring ExtractOnlyFolder(const std::wstring& given, const std::wstring& currentDir,
                               const std::wstring& modulePath) {
    if (given.empty()) {
        return orelib::CombinePath(currentDir, orelib::GetFileNamePart(orelib::RemoveExtension(modulePath)));
    }
    if (orelib::IsRelativePath(given.c_str())) return orelib::CombinePath(currentDir, given);
    return given;
}

std::wstring LinkedFolderErrorText(const std::wstring& link) {
    return L"The installation files are not extracted through a link to another place (a junction "
           L"or symbolic link):\n\n" +
           link;
}

std::wstring TempPathErrorText(unsigned long error) {
    return L"Could not get temp directory path.\n\n" + orelib::FormatErrorText(error);
}

StepResult PrepareWorkingFolder(CRunSettings& settings, orelib::CWorkingFolder& owner) {
    if (settings.m_extractOnly) {
        settings.m_workingFolder =
            ExtractOnlyFolder(settings.m_workingFolder, orelib::GetCurrentDir(), orelib::GetModulePath(nullptr));
        // Extracting through a link would write into whatever it points at.
        std::wstring link;
        if (orelib::FindLinkOnPath(settings.m_workingFolder, &link)) {
            return StepResult::Fail(HRESULT_FROM_WIN32(ERROR_CANT_ACCESS_FILE), LinkedFolderErrorText(link));
        }
        return StepResult::Ok();
    }

    std::vector<orelib::CParentCandidate> parents;
    HRESULT hr = FindWorkingFolderParents(&parents);
    if (FAILED(hr)) return StepResult::Fail(hr, TempPathErrorText(ErrorCodeOf(hr)));
    // Created here, not by the extraction, so that a folder of the same name
    // that someone else prepared is never used; held by its owner until the
    // run deletes it. A place that refuses moves on to the next.
    std::vector<CFolderAttempt> attempts;
    for (const orelib::CParentCandidate& parent : parents) {
        hr = CreateWorkingFolder(owner, parent.path, parent.usersOwn);
        if (SUCCEEDED(hr)) break;
        attempts.push_back({parent.path, hr});
    }
    if (FAILED(hr)) return StepResult::Fail(hr, CreateFolderErrorText(attempts));
    settings.m_workingFolder = owner.Path();
    return StepResult::Ok();
}

}  // namespace app
