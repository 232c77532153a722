// The one owner of the working folder against another program of the same
// user: links planted inside the folder or under its name once it is gone,
// a TEMP that is a link or is re-pointed, and a folder that disappeared
// before extraction; the extraction's held folders against links planted
// below its target.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "ExtractHarness.h"
#include "dialog/NewWorkingFolder.h"
#include "app/App.h"
#include "app/PrepareWorkingFolder.h"
#include "dialog/SetupThread.h"
#include "orelib/win32/FolderTree.h"
#include "orelib/win32/WorkingFolder.h"
#include "tests/unit/RunFixture.h"
#include "tests/unit/DirectoryLink.h"
#include "tests/unit/OwnedFolder.h"
#include "tests/unit/TempFolder.h"
#include "Layers.h"

using extracttest::Fixture;
using testlink::MakeDirectoryLink;
using testlink::RemoveDirectoryLink;
using testlink::RunsOnWine;

namespace {

// A folder another program points its links at, with one file to keep.
struct CVictim {
    CTempFolder folder;
    CVictim() { CTempFolder::WriteFile(folder / L"keep.txt", "keep"); }
    bool Intact() const {
        std::string bytes;
        return extracttest::ReadWholeFile(folder / L"keep.txt", &bytes) && bytes == "keep";
    }
};

std::wstring Repeat(const std::wstring& part, int times) {
    std::wstring path;
    for (int i = 0; i < times; ++i) path += L"\\" + part;
    return path;
}

}  // namespace

// Held without delete sharing and without delete access: nobody can rename
// or remove it, yet anyone may open it as long as they share what we do
// (a process's current directory does not share delete).
TEST(WorkingFolderOwner, HeldFolderStaysInPlaceAndUsable) {
    CTempFolder scratch;
    orelib::CWorkingFolder owner;
    ASSERT_EQ(MakeOwnedFolder(owner, scratch / L"parent"), S_OK);  // a parent of our own, to rename
    orelib::CWorkingFolder inner;
    ASSERT_EQ(MakeOwnedFolder(inner, owner.Path() + L"\\ktvheld0001"), S_OK);
    const std::wstring folder = inner.Path();
    EXPECT_FALSE(MoveFileW(folder.c_str(), (scratch / L"moved").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(RemoveDirectoryW(folder.c_str()));
    EXPECT_TRUE(CTempFolder::Exists(folder));

    HANDLE other = CreateFileW(folder.c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    EXPECT_NE(other, INVALID_HANDLE_VALUE);
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
    std::vector<std::wstring> entries;
    ASSERT_TRUE(CTempFolder::WriteFile(folder + L"\\setup.exe", "MZ"));
    extracttest::ListTree(folder + L"\\", L"", &entries);
    EXPECT_EQ(entries, std::vector<std::wstring>{L"setup.exe"});

    // Swapping a folder above swaps this one too: on Windows the open handle
    // below keeps every folder above it from being renamed.
    if (RunsOnWine()) {
        EXPECT_TRUE(inner.Delete());
        GTEST_SKIP() << "Wine does not keep folders above an open one from being renamed";
    }
    EXPECT_FALSE(MoveFileW(owner.Path().c_str(), (scratch / L"parent.moved").c_str()));
    EXPECT_TRUE(inner.Delete());
    EXPECT_FALSE(CTempFolder::Exists(folder));
}

// Delete walks the tree through handles: a link anywhere inside is removed
// itself or left alone, never followed; read-only files and paths beyond
// MAX_PATH go.
TEST(WorkingFolderOwner, DeleteNeverFollowsALinkInside) {
    struct Case {
        const wchar_t* where;  // the link's folder inside the working folder
    };
    const std::wstring deep = Repeat(L"a_rather_long_folder_name_for_depth", 9);  // over 300 characters
    const Case cases[] = {{L""}, {L"\\sub\\deeper"}, {deep.c_str()}};
    for (const Case& c : cases) {
        CTempFolder scratch;
        CVictim victim;
        orelib::CWorkingFolder owner;
        ASSERT_EQ(MakeOwnedFolder(owner, scratch / L"ktvlinkedin"), S_OK);
        const std::wstring folder = owner.Path();
        const std::wstring inside = L"\\\\?\\" + folder + c.where;
        // Every level on the way, made with the long-path prefix.
        for (size_t at = folder.size() + 5; at != std::wstring::npos; at = inside.find(L'\\', at + 1)) {
            CreateDirectoryW(inside.substr(0, at).c_str(), nullptr);
        }
        CreateDirectoryW(inside.c_str(), nullptr);
        ASSERT_TRUE(CTempFolder::WriteFile(inside + L"\\setup.exe", "MZ"));
        SetFileAttributesW((inside + L"\\setup.exe").c_str(), FILE_ATTRIBUTE_READONLY);
        ASSERT_TRUE(MakeDirectoryLink(inside + L"\\link", victim.folder.Path())) << testing::PrintToString(c.where);

        const bool removed = owner.Delete();
        EXPECT_TRUE(victim.Intact()) << testing::PrintToString(c.where);
        EXPECT_FALSE(CTempFolder::Exists(inside + L"\\setup.exe")) << testing::PrintToString(c.where);
        EXPECT_FALSE(owner.IsHeld());
        if (RunsOnWine()) {
            // Wine opens a Unix link's target even when asked for the link:
            // the link is left alone (and the folders holding it stay).
            RemoveDirectoryLink(inside + L"\\link");
            continue;
        }
        EXPECT_TRUE(removed) << testing::PrintToString(c.where);
        EXPECT_FALSE(CTempFolder::Exists(folder)) << testing::PrintToString(c.where);
    }
}

// Once the folder is gone its name is free: a link put there must never be
// deleted through, neither by a second delete nor by the workers' clean-ups
// nor by the end of the run.
TEST(WorkingFolderOwner, ALinkUnderTheFreedNameIsNeverFollowed) {
    CTempFolder scratch;
    CVictim victim;
    std::wstring folder;
    {
        orelib::CWorkingFolder owner;
        ASSERT_EQ(MakeOwnedFolder(owner, scratch / L"ktvfreedname"), S_OK);
        folder = owner.Path();
        ASSERT_TRUE(CTempFolder::WriteFile(folder + L"\\setup.exe", "MZ"));
        EXPECT_TRUE(owner.Delete());
        for (int i = 0; i < 50 && CTempFolder::Exists(folder); ++i) Sleep(20);
        ASSERT_FALSE(CTempFolder::Exists(folder));
        ASSERT_TRUE(MakeDirectoryLink(folder, victim.folder.Path()));

        EXPECT_TRUE(owner.Delete());  // nothing held: nothing to do
        CSetupThread thread;          // the setup worker's clean-up after a failed start
        SetupJob job;
        job.workingFolder = &owner;
        job.setupFile = folder + L"\\setup.exe";
        ASSERT_TRUE(thread.Start(job));
        thread.WaitForEnd();
    }  // the owner's end
    EXPECT_TRUE(victim.Intact());
    EXPECT_TRUE(RemoveDirectoryLink(folder));
}

// The user's TEMP as a link is refused; a parent that is a link where links
// are followed (the system's temp folder) is resolved once, when the folder
// is made: re-pointing the link afterwards sends nothing elsewhere.
TEST(WorkingFolderOwner, TempThroughALinkIsRefusedOrResolvedOnce) {
    CTempFolder scratch;
    CVictim attacker;
    CTempFolder real;
    const std::wstring link = scratch / L"temp";
    ASSERT_TRUE(MakeDirectoryLink(link, real.Path()));

    orelib::CWorkingFolder owner;
    EXPECT_EQ(owner.Create(link, true, MakeWorkingFolderName, 16), orelib::kFolderIsLink);
    EXPECT_FALSE(owner.IsHeld());

    ASSERT_EQ(owner.Create(link, false, MakeWorkingFolderName, 16), S_OK);
    const std::wstring folder = owner.Path();
    EXPECT_EQ(lstrcmpiW(orelib::GetFileDirPart(folder).c_str(), orelib::WithBackslash(real.Path()).c_str()), 0)
        << testing::PrintToString(folder);
    // The link now points at the other program's folder.
    ASSERT_TRUE(RemoveDirectoryLink(link));
    ASSERT_TRUE(MakeDirectoryLink(link, attacker.folder.Path()));

    extracttest::CDialogStandIn dialog;
    CExtractThread thread;
    extracttest::RunExtraction(thread, dialog, Fixture(L"setup_lzma2.exe"), folder, &owner);
    EXPECT_EQ(dialog.finalMessage, static_cast<UINT>(WM_SFX_EXTRACT_DONE));
    EXPECT_EQ(extracttest::CompareTrees(Fixture(L"src"), folder), "");
    std::vector<std::wstring> attackers;
    extracttest::ListTree(attacker.folder.Path() + L"\\", L"", &attackers);
    EXPECT_EQ(attackers, std::vector<std::wstring>{L"keep.txt"});
    EXPECT_TRUE(owner.Delete());
    EXPECT_TRUE(attacker.Intact());
    RemoveDirectoryLink(link);
}

// Start-up: elevated, the parent comes from the system and TEMP is never
// read; unelevated, a TEMP that is a link ends start-up.
using WorkingFolderStartUp = RunTest;

TEST_F(WorkingFolderStartUp, TempIsUsedOnlyWhenNotElevatedAndNeverThroughALink) {
    CTempFolder scratch;
    CTempFolder real;
    const std::wstring link = scratch / L"temp";
    ASSERT_TRUE(MakeDirectoryLink(link, real.Path()));
    wchar_t savedTemp[MAX_PATH] = {}, savedTmp[MAX_PATH] = {};
    GetEnvironmentVariableW(L"TEMP", savedTemp, MAX_PATH);
    GetEnvironmentVariableW(L"TMP", savedTmp, MAX_PATH);
    SetEnvironmentVariableW(L"TEMP", link.c_str());
    SetEnvironmentVariableW(L"TMP", link.c_str());
    for (bool elevated : {true, false}) {
        SetElevationSource([elevated] { return elevated; });
        const bool prepared = !PrepareWorkingFolder(m_settings, m_ownedFolder).Failed();
        EXPECT_EQ(prepared, elevated);
        if (prepared) {
            EXPECT_EQ(m_settings.m_workingFolder.find(link), std::wstring::npos)
                << testing::PrintToString(m_settings.m_workingFolder);
        }
        EXPECT_TRUE(m_ownedFolder.Delete());
    }
    SetElevationSource(nullptr);
    SetEnvironmentVariableW(L"TEMP", savedTemp);
    SetEnvironmentVariableW(L"TMP", savedTmp);
    std::vector<std::wstring> inReal;
    extracttest::ListTree(real.Path() + L"\\", L"", &inReal);
    EXPECT_TRUE(inReal.empty());
    RemoveDirectoryLink(link);
}

// The run's own folder is never made again: gone before extraction means a
// failed extraction that creates nothing.
TEST(WorkingFolderOwner, ExtractionNeverRemakesAMissingFolder) {
    CTempFolder scratch;
    orelib::CWorkingFolder owner;
    ASSERT_EQ(MakeOwnedFolder(owner, scratch / L"ktvremoved1"), S_OK);
    const std::wstring folder = owner.Path();
    ASSERT_TRUE(owner.Delete());
    for (int i = 0; i < 50 && CTempFolder::Exists(folder); ++i) Sleep(20);

    extracttest::CDialogStandIn dialog;
    CExtractThread thread;
    extracttest::RunExtraction(thread, dialog, Fixture(L"setup_lzma2.exe"), folder, &owner);
    EXPECT_EQ(dialog.finalMessage, static_cast<UINT>(WM_SFX_EXTRACT_FAILED));
    ASSERT_EQ(dialog.errors.size(), 1u);
    EXPECT_EQ(dialog.errors[0].kind, kExtractErrorSystem);
    EXPECT_EQ(dialog.errors[0].code, static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(dialog.errors[0].path, folder);
    EXPECT_FALSE(CTempFolder::Exists(folder));
}

// Below the target every write goes relative to a held folder: a link there
// before the run is refused and named; a held empty folder made a mount
// point during the run (Windows lets anyone who may write its attributes
// do that, sharing or not) still receives the files itself.
TEST(FolderTree, NeverWritesThroughALinkBelowTheTarget) {
    enum class When { Before, WhileHeld };
    struct Case {
        const char* name;
        When when;
    };
    const Case cases[] = {{"link planted before", When::Before}, {"held folder made a link", When::WhileHeld}};
    for (const Case& c : cases) {
        if (c.when == When::WhileHeld && RunsOnWine()) continue;  // Wine 8 cannot make a folder a mount point
        CTempFolder target;
        CVictim victim;
        orelib::CHandle root(CreateFileW(target.Path().c_str(), FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                 nullptr));
        ASSERT_TRUE(root.IsValid());
        orelib::CFolderTree tree(root.Get(), target.Path());
        const std::wstring sub = target / L"sub";
        if (c.when == When::Before) {
            ASSERT_TRUE(MakeDirectoryLink(sub, victim.folder.Path())) << c.name;
            EXPECT_EQ(tree.EnterFolder(sub + L"\\deeper"), orelib::kFolderIsLink) << c.name;
            EXPECT_EQ(tree.FirstLink(), sub) << c.name;
        } else {
            ASSERT_EQ(tree.EnterFolder(sub), S_OK) << c.name;
            ASSERT_TRUE(testlink::SetMountPoint(sub, victim.folder.Path())) << c.name;
        }
        orelib::CHandle file;
        tree.MakeFile(sub + L"\\setup.exe", false, &file);
        tree.Remove(sub + L"\\keep.txt", false);
        tree.SetFolderTimes(sub, nullptr, nullptr, nullptr);
        EXPECT_TRUE(victim.Intact()) << c.name;
        EXPECT_FALSE(CTempFolder::Exists(victim.folder / L"setup.exe")) << c.name;
        file.Reset();
        if (c.when == When::Before) {
            EXPECT_TRUE(RemoveDirectoryLink(sub)) << c.name;
        }
    }
}
