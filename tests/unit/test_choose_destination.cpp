// The disk-full flow of the self-extracting dialog: the size message and the
// folder browser, driven from a helper thread.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>

#include "dialog/SelfExtractingDlg.h"
#include "orelib/win32/ComInit.h"
#include "orelib/win32/Drives.h"
#include "tests/unit/RunFixture.h"
#include "tests/unit/DialogDriver.h"
#include "tests/unit/TempFolder.h"
#include "Layers.h"

namespace {

using testdriver::CHelperThread;

// Every message box has the icon control; only a box with an icon fills it.
bool HasIcon(HWND box) {
    HWND icon = GetDlgItem(box, 0x440);
    return icon && IsWindowVisible(icon) && SendMessageW(icon, STM_GETICON, 0, 0) != 0;
}

class CDestinationDlg : public CSelfExtractingDlg {
public:
    CDestinationDlg(const CRunSettings& settings, const orelib::CUiText& uiText, const orelib::COwnFile& ownFile,
                    orelib::CWorkingFolder& ownedFolder)
        : CSelfExtractingDlg(nullptr, settings, uiText, ownFile, &ownedFolder) {}
    using CSelfExtractingDlg::RelocateWorkingFolder;
    using CSelfExtractingDlg::WorkingFolder;
};

const wchar_t kBrowserTitle[] = L"Choose destination location";

bool HasTitle(HWND window, const std::wstring& title) { return framework::GetWindowTextOf(window) == title; }

BOOL CALLBACK FindEdit(HWND child, LPARAM data) {
    wchar_t name[16] = {};
    GetClassNameW(child, name, 16);
    if (lstrcmpiW(name, L"Edit") == 0 && IsWindowVisible(child)) {
        *reinterpret_cast<HWND*>(data) = child;
        return FALSE;
    }
    return TRUE;
}

// Reads and answers the size message, then answers the browser: types
// `folder` into it and opens, or cancels when `folder` is empty.
void PlayUser(std::wstring* message, bool* icon, const std::wstring& folder) {
    HWND box = testdriver::WaitForDialog(testdriver::IsMessageBox());
    ASSERT_NE(box, nullptr);
    *message = testdriver::ControlText(box, 0xFFFF);
    *icon = HasIcon(box);
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr) << "OK only";
    testdriver::Press(box, IDOK);

    HWND browser = testdriver::WaitForDialog([](HWND w) { return HasTitle(w, kBrowserTitle); });
    ASSERT_NE(browser, nullptr);
    Sleep(500);
    if (folder.empty()) {
        testdriver::Press(browser, IDCANCEL);
        return;
    }
    HWND edit = nullptr;
    EnumChildWindows(browser, FindEdit, reinterpret_cast<LPARAM>(&edit));
    ASSERT_NE(edit, nullptr);
    SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder.c_str()));
    testdriver::Press(browser, IDOK);
}

class ChooseDestinationTest : public RunTest {
protected:
    void SetUp() override {
        RunTest::SetUp();
        m_settings.m_workingFolder = L"C:\\users\\u\\Temp\\ktvaaaaaaaa";
    }
    // Start-up initialises COM for the folder browser; this test program does not.
    const orelib::CComInit m_com{COINIT_APARTMENTTHREADED};
};

}  // namespace

TEST_F(ChooseDestinationTest, QuietModeShowsNothingAndKeepsTheFolder) {
    CDestinationDlg dialog(m_settings, m_uiText, m_ownFile, m_ownedFolder);
    EXPECT_FALSE(dialog.ChooseDestinationLocation(1048576));
    EXPECT_EQ(dialog.WorkingFolder(), L"C:\\users\\u\\Temp\\ktvaaaaaaaa");
}

TEST_F(ChooseDestinationTest, CancelledBrowserKeepsTheFolder) {
    SetQuiet(false);
    CDestinationDlg dialog(m_settings, m_uiText, m_ownFile, m_ownedFolder);
    std::wstring message;
    bool icon = true;
    CHelperThread user([&] { PlayUser(&message, &icon, L""); });
    EXPECT_FALSE(dialog.ChooseDestinationLocation(1048575));
    user.Join();
    EXPECT_EQ(message, L"Choose a location with enough space to temporary store the installation files (1024.0 KB).");
    EXPECT_FALSE(icon);
    EXPECT_EQ(dialog.WorkingFolder(), L"C:\\users\\u\\Temp\\ktvaaaaaaaa");
}

TEST_F(ChooseDestinationTest, ChosenFolderGetsANewRandomName) {
    SetQuiet(false);
    CTempFolder target;
    CDestinationDlg dialog(m_settings, m_uiText, m_ownFile, m_ownedFolder);
    std::wstring message;
    bool icon = true;
    CHelperThread user([&] { PlayUser(&message, &icon, target.Path()); });
    EXPECT_TRUE(dialog.ChooseDestinationLocation(3758096384ull));
    user.Join();
    EXPECT_EQ(message, L"Choose a location with enough space to temporary store the installation files (3.50 GB).");
    // The folder is made once the failed extraction has deleted the old one.
    EXPECT_EQ(dialog.WorkingFolder(), L"C:\\users\\u\\Temp\\ktvaaaaaaaa");
    ASSERT_TRUE(dialog.RelocateWorkingFolder());
    const std::wstring folder = dialog.WorkingFolder();
    ASSERT_EQ(folder.size(), target.Path().size() + 1 + 11) << std::string(folder.begin(), folder.end());
    EXPECT_EQ(folder.substr(0, target.Path().size() + 1), target.Path() + L"\\");
    const std::wstring name = folder.substr(target.Path().size() + 1);
    EXPECT_EQ(name.substr(0, 3), L"ktv");
    EXPECT_EQ(name.find_first_not_of(L"abcdefghijklmnopqrstuvwxyz0123456789", 3), std::wstring::npos);
    // Made here, like the first working folder, so nobody can have prepared it,
    // and held in place from the start.
    EXPECT_TRUE(CTempFolder::Exists(folder));
    EXPECT_EQ(m_ownedFolder.Path(), folder);
    EXPECT_TRUE(m_ownedFolder.Delete());
    EXPECT_FALSE(CTempFolder::Exists(folder));
}
