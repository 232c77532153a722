// Where a run extracts to: random folder names and the extract-only path rules.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "dialog/NewWorkingFolder.h"
#include "app/PrepareWorkingFolder.h"
#include "orelib/Path.h"
#include "orelib/win32/ErrorText.h"
#include "orelib/win32/Files.h"
#include "tests/unit/RunFixture.h"
#include "tests/unit/TempFolder.h"
#include "Layers.h"

namespace {
bool IsFolderName(const std::wstring& name) {
    if (name.size() != 11 || name.compare(0, 3, L"ktv") != 0) return false;
    for (size_t i = 3; i < name.size(); ++i) {
        const wchar_t c = name[i];
        if (!((c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9'))) return false;
    }
    return true;
}
}  // namespace

TEST(WorkingFolder, NamesHaveTheFixedForm) {
    std::set<std::wstring> names;
    std::set<wchar_t> characters;
    for (int i = 0; i < 200; ++i) {
        const std::wstring name = MakeWorkingFolderName();
        EXPECT_TRUE(IsFolderName(name)) << testing::PrintToString(name);
        names.insert(name);
        characters.insert(name.begin() + 3, name.end());
    }
    EXPECT_EQ(names.size(), 200u);      // every call draws a new name
    EXPECT_GT(characters.size(), 30u);  // digits and letters both drawn
}

TEST(WorkingFolder, ExtractOnlyPathRules) {
    const std::wstring cwd = L"C:\\work";
    EXPECT_EQ(ExtractOnlyFolder(L"", cwd, L"D:\\dl\\setup.exe"), L"C:\\work\\setup");
    EXPECT_EQ(ExtractOnlyFolder(L"", cwd, L"D:\\dl\\my.setup.exe"), L"C:\\work\\my.setup");
    EXPECT_EQ(ExtractOnlyFolder(L"", L"C:\\", L"D:\\dl\\setup.exe"), L"C:\\setup");
    EXPECT_EQ(ExtractOnlyFolder(L"out", cwd, L"D:\\dl\\setup.exe"), L"C:\\work\\out");
    EXPECT_EQ(ExtractOnlyFolder(L"\\out", cwd, L"D:\\dl\\setup.exe"), L"C:\\work\\\\out");
    EXPECT_EQ(ExtractOnlyFolder(L"/q", cwd, L"D:\\dl\\setup.exe"), L"C:\\work\\/q");
    EXPECT_EQ(ExtractOnlyFolder(L"E:out", cwd, L"D:\\dl\\setup.exe"), L"E:out");
    EXPECT_EQ(ExtractOnlyFolder(L"E:\\out\\", cwd, L"D:\\dl\\setup.exe"), L"E:\\out\\");
    EXPECT_EQ(ExtractOnlyFolder(L"\\\\server\\share\\out", cwd, L"D:\\dl\\setup.exe"), L"\\\\server\\share\\out");
}

TEST(WorkingFolder, TempPathMessage) {
    EXPECT_EQ(TempPathErrorText(3),
              L"Could not get temp directory path.\n\n" + orelib::GetSystemErrorText(3) + L" (3)");
}

class WorkingFolderStep : public RunTest {
protected:
    void TearDown() override { SetElevationSource(nullptr); }
};

// Elevated: the machine's temporary folder (%SystemRoot%\Temp as set up),
// never the user's TEMP (which is not even read) nor SystemTemp, which only
// SYSTEM may use; unelevated: the user's TEMP. One folder per run: a second
// start-up deletes the first one.
TEST_F(WorkingFolderStep, NormalModeUsesANewNameUnderTheRunsTemp) {
    wchar_t windows[MAX_PATH + 1];
    ASSERT_GT(GetSystemWindowsDirectoryW(windows, MAX_PATH), 0u);
    const std::wstring elevatedParent = orelib::WithBackslash(orelib::CombinePath(windows, L"Temp"));
    wchar_t temp[MAX_PATH + 1];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    for (bool elevated : {true, false}) {
        SetElevationSource([elevated] { return elevated; });
        ASSERT_FALSE(PrepareWorkingFolder(m_settings, m_ownedFolder).Failed());
        const std::wstring folder = m_settings.m_workingFolder;
        EXPECT_EQ(m_ownedFolder.Path(), folder);
        EXPECT_TRUE(lstrcmpiW(orelib::GetFileDirPart(folder).c_str(),
                              (elevated ? elevatedParent : orelib::WithBackslash(temp)).c_str()) == 0)
            << elevated << testing::PrintToString(folder);
        EXPECT_TRUE(IsFolderName(orelib::GetFileNamePart(folder))) << testing::PrintToString(folder);
        EXPECT_TRUE(CTempFolder::Exists(folder));  // made here, so nobody else can have prepared it

        ASSERT_FALSE(PrepareWorkingFolder(m_settings, m_ownedFolder).Failed());
        EXPECT_NE(m_settings.m_workingFolder, folder);
        EXPECT_FALSE(CTempFolder::Exists(folder));
        EXPECT_TRUE(m_ownedFolder.Delete());
        EXPECT_FALSE(CTempFolder::Exists(m_settings.m_workingFolder));
    }
}

TEST_F(WorkingFolderStep, ExtractOnlyModeResolvesAgainstTheCurrentDirectory) {
    CTempFolder dir;
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryW(dir.Path().c_str()));
    const std::wstring cwd = orelib::GetCurrentDir();

    m_settings.m_extractOnly = true;
    m_settings.m_workingFolder = L"out";
    EXPECT_FALSE(PrepareWorkingFolder(m_settings, m_ownedFolder).Failed());
    EXPECT_EQ(m_settings.m_workingFolder, cwd + L"\\out");

    m_settings.m_workingFolder = L"";
    EXPECT_FALSE(PrepareWorkingFolder(m_settings, m_ownedFolder).Failed());
    const std::wstring self = orelib::GetFileNamePart(orelib::GetModulePath(nullptr));
    EXPECT_EQ(m_settings.m_workingFolder, cwd + L"\\" + orelib::RemoveExtension(self));

    m_settings.m_workingFolder = L"Z:\\target\\";
    EXPECT_FALSE(PrepareWorkingFolder(m_settings, m_ownedFolder).Failed());
    EXPECT_EQ(m_settings.m_workingFolder, L"Z:\\target\\");
    SetCurrentDirectoryW(saved);
}
