// Extraction of real archives made by 7zz, appended to a stub image after a
// configuration block, by CExtractThread with a stand-in dialog window.
#include <gtest/gtest.h>

#include "ExtractHarness.h"
#include "OwnedFolder.h"
#include "TempFolder.h"

using namespace extracttest;

namespace {

constexpr uint32_t kNotFound = 1;  // S_FALSE: no archive recognised

struct CRun {
    CDialogStandIn dialog;
    CExtractThread thread;
    CTempFolder temp;
    std::wstring target = temp / L"out";

    orelib::CWorkingFolder owned;

    // With `owned`: the run's own folder, made first, deleted after a failure.
    void Extract(const std::wstring& archive, bool ownFolder = false) {
        if (ownFolder) {
            ASSERT_EQ(MakeOwnedFolder(owned, target), S_OK);
        }
        RunExtraction(thread, dialog, archive, target, ownFolder ? &owned : nullptr);
    }
    std::vector<UINT> FailedSequence() const { return {WM_SFX_EXTRACT_ERROR, WM_SFX_EXTRACT_FAILED}; }
};

class ExtractMethod : public testing::TestWithParam<const wchar_t*> {};

TEST_P(ExtractMethod, ExtractsByteIdenticalAfterAConfigurationBlock) {
    CRun run;
    run.Extract(Fixture(std::wstring(L"setup_") + GetParam() + L".exe"));
    EXPECT_EQ(run.dialog.finalMessage, WM_SFX_EXTRACT_DONE);
    EXPECT_TRUE(run.dialog.errors.empty());
    EXPECT_EQ(CompareTrees(Fixture(L"src"), run.target), "");
}

INSTANTIATE_TEST_SUITE_P(Coders, ExtractMethod, testing::Values(L"copy", L"lzma", L"lzma2", L"bcj_lzma2", L"bcj2"));

TEST(ExtractArchive, IsFoundWithinTheFirstFourMiBOnly) {
    CRun inside;
    inside.Extract(Fixture(L"near.exe"));
    EXPECT_EQ(inside.dialog.finalMessage, WM_SFX_EXTRACT_DONE);
    EXPECT_EQ(CompareTrees(Fixture(L"src"), inside.target), "");

    CRun outside;
    outside.Extract(Fixture(L"far.exe"));
    EXPECT_EQ(outside.dialog.Milestones(), outside.FailedSequence());
    ASSERT_EQ(outside.dialog.errors.size(), 1u);
    EXPECT_EQ(outside.dialog.errors[0].kind, kExtractErrorSystem);
    EXPECT_EQ(outside.dialog.errors[0].code, kNotFound);
}

TEST(ExtractArchive, StubAloneHoldsNoArchive) {
    CRun run;
    run.Extract(Fixture(L"stub_alone.exe"));
    EXPECT_EQ(run.dialog.Milestones(), run.FailedSequence());
    ASSERT_EQ(run.dialog.errors.size(), 1u);
    EXPECT_EQ(run.dialog.errors[0].kind, kExtractErrorSystem);
    EXPECT_EQ(run.dialog.errors[0].code, kNotFound);
    EXPECT_EQ(run.dialog.errors[0].requiredBytes, 0u);
}

// The library looks for "<name>.7z" beside an executable that holds no
// archive; only the archive inside the own file may be extracted.
TEST(ExtractArchive, ArchiveBesideTheExecutableIsRefused) {
    CRun run;
    const std::wstring setup = run.temp / L"setup.exe";
    ASSERT_TRUE(CopyFileW(Fixture(L"stub_alone.exe").c_str(), setup.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(Fixture(L"lzma2.7z").c_str(), (run.temp / L"setup.7z").c_str(), FALSE));
    run.Extract(setup);
    EXPECT_EQ(run.dialog.Milestones(), run.FailedSequence());
    ASSERT_EQ(run.dialog.errors.size(), 1u);
    EXPECT_EQ(run.dialog.errors[0].code, kNotFound);
    EXPECT_FALSE(CTempFolder::Exists(run.target + L"\\readme.txt"));
}

TEST(ExtractArchive, SignatureWithoutValidHeaderCrcIsPassedOver) {
    CRun run;
    run.Extract(Fixture(L"fake_signature.exe"));
    EXPECT_EQ(run.dialog.finalMessage, WM_SFX_EXTRACT_DONE);
    EXPECT_EQ(CompareTrees(Fixture(L"src"), run.target), "");
}

TEST(ExtractArchive, ArchiveFileThatIsNotOpenFails) {
    CRun run;
    run.Extract(run.temp / L"no such setup.exe");  // nothing to hold: no handle
    EXPECT_EQ(run.dialog.finalMessage, WM_SFX_EXTRACT_FAILED);
    ASSERT_EQ(run.dialog.errors.size(), 1u);
    EXPECT_EQ(run.dialog.errors[0].code, 0x80070006u);  // invalid handle
}

TEST(ExtractPassword, AskedOnceForManyEncryptedItems) {
    CRun run;
    run.dialog.password = L"Pa55 wörd";
    run.Extract(Fixture(L"setup_encrypted.exe"));
    EXPECT_EQ(run.dialog.finalMessage, WM_SFX_EXTRACT_DONE);
    EXPECT_EQ(run.dialog.passwordRequests, 1);
    EXPECT_EQ(CompareTrees(Fixture(L"many"), run.target), "");
}

TEST(ExtractPassword, WrongPasswordReportsDamagedData) {
    CRun run;
    run.dialog.password = L"wrong";
    run.Extract(Fixture(L"setup_encrypted.exe"));
    EXPECT_EQ(run.dialog.Milestones(),
              (std::vector<UINT>{WM_SFX_ASK_PASSWORD, WM_SFX_EXTRACT_ERROR, WM_SFX_EXTRACT_FAILED}));
    ASSERT_EQ(run.dialog.errors.size(), 1u);
    EXPECT_EQ(run.dialog.errors[0].kind, kExtractErrorDamaged);
    EXPECT_TRUE(run.dialog.errors[0].code == 0x8007000Du || run.dialog.errors[0].code == 0x80070017u)
        << std::hex << run.dialog.errors[0].code;
}

TEST(ExtractPassword, ClosedPromptCancelsTheRun) {
    CRun run;
    run.dialog.passwordReply = IDCANCEL;
    run.Extract(Fixture(L"setup_encrypted.exe"), true);
    EXPECT_EQ(run.dialog.Milestones(),
              (std::vector<UINT>{WM_SFX_ASK_PASSWORD, WM_SFX_DELETING_FILES, WM_SFX_EXTRACT_CANCELLED}));
    EXPECT_TRUE(run.dialog.errors.empty());
    EXPECT_FALSE(CTempFolder::Exists(run.target));
}

TEST(ExtractPassword, EncryptedHeadersFailToOpenWithoutAsking) {
    CRun run;
    run.Extract(Fixture(L"setup_encrypted_headers.exe"));
    EXPECT_EQ(run.dialog.passwordRequests, 0);
    EXPECT_EQ(run.dialog.Milestones(), run.FailedSequence());
    ASSERT_EQ(run.dialog.errors.size(), 1u);
    EXPECT_EQ(run.dialog.errors[0].kind, kExtractErrorSystem);
    EXPECT_NE(run.dialog.errors[0].code, 0u);
}

TEST(ExtractArchive, MethodTheStubLacksFailsAsUnsupported) {
    CRun run;
    run.Extract(Fixture(L"setup_ppmd.exe"));
    EXPECT_EQ(run.dialog.Milestones(), run.FailedSequence());
    ASSERT_EQ(run.dialog.errors.size(), 1u);
    EXPECT_EQ(run.dialog.errors[0].kind, kExtractErrorSystem);
    EXPECT_EQ(run.dialog.errors[0].code, 0x80004001u);
    EXPECT_EQ(run.dialog.errors[0].path.rfind(L"file", 0), 0u) << Narrow(run.dialog.errors[0].path);
}

TEST(ExtractTarget, MissingLevelsAreCreated) {
    CRun run;
    run.target = run.temp / L"one\\two\\three";
    run.Extract(Fixture(L"setup_lzma2.exe"));
    EXPECT_EQ(run.dialog.finalMessage, WM_SFX_EXTRACT_DONE);
    EXPECT_EQ(CompareTrees(Fixture(L"src"), run.target), "");
}

TEST(ExtractTarget, ExistingFolderIsUsed) {
    CRun run;
    ASSERT_TRUE(CreateDirectoryW(run.target.c_str(), nullptr));
    run.Extract(Fixture(L"setup_lzma2.exe"));
    EXPECT_EQ(run.dialog.finalMessage, WM_SFX_EXTRACT_DONE);
    EXPECT_EQ(CompareTrees(Fixture(L"src"), run.target), "");
}

// Each file gets the attributes and the modification time the archive
// stores for it.
TEST(ExtractTarget, StoredAttributesAndTimesAreKept) {
    CRun run;
    run.Extract(Fixture(L"setup_attributes.exe"));
    EXPECT_EQ(run.dialog.finalMessage, WM_SFX_EXTRACT_DONE);
    EXPECT_TRUE(run.dialog.errors.empty());
    const struct {
        const wchar_t* name;
        bool readOnly;
    } files[] = {{L"readonly.txt", true}, {L"writable.txt", false}};
    for (const auto& file : files) {
        SCOPED_TRACE(Narrow(file.name));
        WIN32_FILE_ATTRIBUTE_DATA made = {}, stored = {};
        ASSERT_TRUE(GetFileAttributesExW((run.target + L"\\" + file.name).c_str(), GetFileExInfoStandard, &made));
        ASSERT_TRUE(GetFileAttributesExW(Fixture(std::wstring(L"attributes\\") + file.name).c_str(),
                                         GetFileExInfoStandard, &stored));
        EXPECT_EQ((made.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0, file.readOnly);
        EXPECT_EQ(CompareFileTime(&made.ftLastWriteTime, &stored.ftLastWriteTime), 0);
    }
}

TEST(ExtractTarget, FileInTheWayFailsWithItsPath) {
    CRun run;
    ASSERT_TRUE(CTempFolder::WriteFile(run.target, "not a folder"));
    run.Extract(Fixture(L"setup_lzma2.exe"));  // extract-only: the folder is made where missing
    ASSERT_EQ(run.dialog.errors.size(), 1u);
    EXPECT_EQ(run.dialog.errors[0].kind, kExtractErrorSystem);
    EXPECT_EQ(run.dialog.errors[0].path, run.target);
    // A Win32 code, not an HRESULT.
    EXPECT_LT(run.dialog.errors[0].code, 0x10000u);
    EXPECT_NE(run.dialog.errors[0].code, 0u);
    // The clean-up of a failed run never deletes a file that stood in the way.
    EXPECT_TRUE(CTempFolder::Exists(run.target));
}

}  // namespace

namespace {

// The library's defaults keep every item inside the target folder: ".." and
// roots are dropped, a drive becomes a folder name, a stream name becomes part
// of the file name, and a symbolic link becomes a plain file.
TEST(ExtractSafety, HostileItemNamesStayInsideTheTarget) {
    CTempFolder temp;
    CDialogStandIn dialog;
    CExtractThread thread;
    const std::wstring target = temp / L"a\\b\\out";
    RunExtraction(thread, dialog, Fixture(L"setup_hostile.exe"), target);
    EXPECT_EQ(dialog.finalMessage, WM_SFX_EXTRACT_DONE);

    std::vector<std::wstring> everything;
    ListTree(temp.Path() + L"\\", L"", &everything);
    std::sort(everything.begin(), everything.end());
    const std::vector<std::wstring> expected = {L"a\\",
                                                L"a\\b\\",
                                                L"a\\b\\out\\",
                                                L"a\\b\\out\\C_\\",
                                                L"a\\b\\out\\C_\\escaped_drive.txt",
                                                L"a\\b\\out\\e.txt",
                                                L"a\\b\\out\\escaped_parent.txt",
                                                L"a\\b\\out\\escaped_root.txt",
                                                L"a\\b\\out\\good.txt_stream",
                                                L"a\\b\\out\\link"};
    EXPECT_EQ(everything, expected);
    EXPECT_FALSE(CTempFolder::Exists(L"C:\\escaped_drive.txt"));
    EXPECT_FALSE(CTempFolder::Exists(L"\\escaped_root.txt"));
    const DWORD linkAttributes = GetFileAttributesW((target + L"\\link").c_str());
    ASSERT_NE(linkAttributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(linkAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY), 0u);
}

}  // namespace
