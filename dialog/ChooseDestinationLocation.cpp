// The disk-full flow: tell the user how much room the files need, let them
// pick a folder elsewhere, and create the next extraction's folder there.
#include "dialog/SelfExtractingDlg.h"

#include <vector>

#include "app/App.h"
#include "app/UiText.h"
#include "app/WorkingFolder.h"
#include "orelib/ByteSize.h"
#include "orelib/StringFormat.h"
#include "orelib/win32/BrowseForFolder.h"
#include "orelib/win32/Drives.h"
#include "resources/resource.h"

bool CSelfExtractingDlg::ChooseDestinationLocation(uint64_t requiredBytes) {
    // Each time from the drive with the most room, not from the last choice.
    std::wstring initialFolder;
    if (!orelib::FindDriveWithMostFreeSpace(&initialFolder, nullptr)) initialFolder = L"C:\\";

    const std::vector<std::wstring> units = {LoadUiString(IDS_UNIT_KB), LoadUiString(IDS_UNIT_MB),
                                             LoadUiString(IDS_UNIT_GB), LoadUiString(IDS_UNIT_TB)};
    const std::wstring prompt =
        orelib::FormatOneString(LoadUiString(IDS_NEED_SPACE), orelib::FormatByteSize(requiredBytes, units));
    // Only an OK button and no icon: this is a request, not an error. A box
    // that cannot be shown (or quiet mode) gives 0 and ends the flow.
    if (framework::AfxMessageBox(prompt.c_str(), MB_OK) != IDOK) return false;

    const std::wstring title = LoadUiString(IDS_CHOOSE_LOCATION);
    const std::wstring chosen = orelib::BrowseForFolder(m_hWnd, initialFolder, title, title);
    if (chosen.empty()) return false;

    // A new folder with a new name, made here like the first one, so that
    // nobody else can have prepared it (and never the chosen folder itself,
    // which would be deleted at the end of the run), held in place until the
    // run deletes it.
    std::wstring folder;
    const HRESULT hr = CreateLockedWorkingFolder(chosen, &folder);
    if (FAILED(hr)) {
        framework::AfxMessageBox(CreateFolderErrorText(hr).c_str(), MB_OK | MB_ICONERROR);
        return false;
    }
    m_workingFolder = folder;
    return true;
}
