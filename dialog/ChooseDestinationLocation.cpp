// The disk-full flow: tell the user how much room the files need, let them
// pick a folder elsewhere, and have the next extraction's folder made there.
#include "dialog/SelfExtractingDlg.h"

#include <vector>

#include "dialog/NewWorkingFolder.h"
#include "orelib/ByteSize.h"
#include "orelib/StringFormat.h"
#include "orelib/win32/BrowseForFolder.h"
#include "orelib/win32/Drives.h"
#include "resources/resource.h"

namespace dialog {

bool CSelfExtractingDlg::ChooseDestinationLocation(uint64_t requiredBytes) {
    // Each time from the drive with the most room, not from the last choice.
    std::wstring initialFolder;
    if (!orelib::FindDriveWithMostFreeSpace(&initialFolder, nullptr)) initialFolder = L"C:\\";

    const std::vector<std::wstring> units = {m_uiText.LoadUiString(IDS_UNIT_KB), m_uiText.LoadUiString(IDS_UNIT_MB),
                                             m_uiText.LoadUiString(IDS_UNIT_GB), m_uiText.LoadUiString(IDS_UNIT_TB)};
    const std::wstring prompt =
        orelib::FormatOneString(m_uiText.LoadUiString(IDS_NEED_SPACE), orelib::FormatByteSize(requiredBytes, units));
    // Only an OK button and no icon: this is a request, not an error. A box
    // that cannot be shown (or quiet mode) gives 0 and ends the flow.
    if (ShowMessage(prompt, MB_OK) != IDOK) return false;

    const std::wstring title = m_uiText.LoadUiString(IDS_CHOOSE_LOCATION);
    const std::wstring chosen = orelib::BrowseForFolder(m_hWnd, initialFolder, title, title);
    if (chosen.empty()) return false;

    // The failed extraction deletes the old folder first; the new one is
    // made after that, on the chosen drive (RelocateWorkingFolder).
    m_relocationParent = chosen;
    return true;
}

bool CSelfExtractingDlg::RelocateWorkingFolder() {
    // A new folder with a new name, made by the run's one owner like the
    // first, so that nobody else can have prepared it (and never the chosen
    // folder itself, which would be deleted at the end of the run). The user
    // picked the place: it is checked for links like the user's TEMP.
    const HRESULT hr = m_ownedFolder ? CreateWorkingFolder(*m_ownedFolder, m_relocationParent, true) : E_UNEXPECTED;
    if (FAILED(hr)) {
        ShowMessage(CreateFolderErrorText(hr), MB_OK | MB_ICONERROR);
        return false;
    }
    m_workingFolder = m_ownedFolder->Path();
    return true;
}

}  // namespace dialog
