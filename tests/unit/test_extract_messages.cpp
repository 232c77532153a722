// The message protocol between the extraction worker and the dialog: the
// order of messages, cancelling, clean-up, the overwrite question, progress,
// and runs without a window.
#include <gtest/gtest.h>

#include "C/Sha256.h"
#include "ExtractHarness.h"
#include "OwnedFolder.h"
#include "TempFolder.h"

using namespace extracttest;

namespace {

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
};

bool IsNonDecreasing(const std::vector<LPARAM>& values) {
    for (size_t i = 1; i < values.size(); ++i)
        if (values[i] < values[i - 1]) return false;
    return true;
}

TEST(ExtractMessages, SuccessSendsProgressThenDone) {
    CRun run;
    run.Extract(Fixture(L"setup_lzma2.exe"), true);
    EXPECT_EQ(run.dialog.Milestones(), std::vector<UINT>{WM_SFX_EXTRACT_DONE});
    ASSERT_FALSE(run.dialog.progress.empty());
    EXPECT_TRUE(IsNonDecreasing(run.dialog.progress));
    EXPECT_EQ(run.dialog.progress.back(), 1000);
    EXPECT_EQ(run.dialog.sequence.back(), WM_SFX_EXTRACT_DONE);
}

TEST(ExtractMessages, EmptyTotalSendsNoProgress) {
    CRun run;
    run.Extract(Fixture(L"setup_empty.exe"));
    EXPECT_EQ(run.dialog.sequence, std::vector<UINT>{WM_SFX_EXTRACT_DONE});
    EXPECT_EQ(CompareTrees(Fixture(L"emptyonly"), run.target), "");
}

TEST(ExtractMessages, CancelBeforeExtractionWritesNothing) {
    CRun run;
    ExtractParams params;
    params.notifyWindow = run.dialog.Handle();
    orelib::COwnFile archive;
    params.archivePath = Fixture(L"setup_lzma2.exe");
    params.archiveFile = OpenArchive(archive, params.archivePath);
    params.targetFolder = run.target;
    ASSERT_TRUE(run.thread.StartExtraction(params));
    // Seen at the first progress call, after the archive was opened.
    run.thread.RequestStop(false);
    ASSERT_TRUE(run.dialog.RunUntilFinal());
    run.thread.WaitForEnd();
    EXPECT_EQ(run.dialog.sequence, std::vector<UINT>{WM_SFX_EXTRACT_CANCELLED});
    std::vector<std::wstring> written;
    ListTree(run.target + L"\\", L"", &written);
    EXPECT_TRUE(written.empty());
}

TEST(ExtractMessages, CancelDuringExtractionWithCleanUp) {
    CRun run;
    run.dialog.onMessage = [&run](UINT message, LPARAM lParam) {
        if (message == WM_SFX_PROGRESS && lParam > 0) run.thread.RequestStop(false);
    };
    run.Extract(Fixture(L"setup_copy.exe"), true);
    EXPECT_EQ(run.dialog.Milestones(), (std::vector<UINT>{WM_SFX_DELETING_FILES, WM_SFX_EXTRACT_CANCELLED}));
    EXPECT_TRUE(run.dialog.errors.empty());
    EXPECT_FALSE(CTempFolder::Exists(run.target));
}

TEST(ExtractMessages, FailureWithCleanUpDeletesTheFolder) {
    CRun run;
    run.Extract(Fixture(L"setup_mixed.exe"), true);
    EXPECT_EQ(run.dialog.Milestones(),
              (std::vector<UINT>{WM_SFX_EXTRACT_ERROR, WM_SFX_DELETING_FILES, WM_SFX_EXTRACT_FAILED}));
    EXPECT_FALSE(CTempFolder::Exists(run.target));
}

TEST(ExtractMessages, FailureWithoutCleanUpKeepsWrittenFiles) {
    CRun run;
    run.Extract(Fixture(L"setup_mixed.exe"), false);
    EXPECT_EQ(run.dialog.Milestones(), (std::vector<UINT>{WM_SFX_EXTRACT_ERROR, WM_SFX_EXTRACT_FAILED}));
    std::string first;
    EXPECT_TRUE(ReadWholeFile(run.target + L"\\file1.txt", &first));
    EXPECT_EQ(first, "secret file 1\n");
}

TEST(ExtractMessages, SecondRunOnTheSameObject) {
    CRun run;
    run.Extract(Fixture(L"stub_alone.exe"));
    ASSERT_EQ(run.dialog.finalMessage, WM_SFX_EXTRACT_FAILED);
    run.dialog.finalMessage = 0;
    run.dialog.sequence.clear();
    run.Extract(Fixture(L"setup_lzma2.exe"));
    EXPECT_EQ(run.dialog.Milestones(), std::vector<UINT>{WM_SFX_EXTRACT_DONE});
    EXPECT_EQ(CompareTrees(Fixture(L"src"), run.target), "");
}

// The bytes read must be the ones the program's image vouches for: a file
// with another digest (another archive behind the same stub) ends as a
// damaged file before anything could start, and the run's folder goes.
TEST(ExtractMessages, PayloadMustHaveTheDigestTheImageRecords) {
    const std::wstring archive = Fixture(L"setup_lzma2.exe");
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(archive, &bytes));
    orelib::PayloadDigest recorded;
    recorded.size = bytes.size();
    CSha256 sha;
    Sha256_Init(&sha);
    Sha256_Update(&sha, reinterpret_cast<const Byte*>(bytes.data()), bytes.size());
    Sha256_Final(&sha, recorded.sha256.data());

    const struct {
        const char* name;
        void (*change)(orelib::PayloadDigest*);
        bool passes;
    } kCases[] = {
        {"the same bytes", [](orelib::PayloadDigest*) {}, true},
        {"other bytes", [](orelib::PayloadDigest* d) { d->sha256[31] ^= 1; }, false},
        {"a shorter file", [](orelib::PayloadDigest* d) { d->size += 1; }, false},
    };
    for (const auto& c : kCases) {
        CRun run;
        ASSERT_EQ(MakeOwnedFolder(run.owned, run.target), S_OK);
        orelib::COwnFile file;
        ExtractParams params;
        params.notifyWindow = run.dialog.Handle();
        params.archivePath = archive;
        params.archiveFile = OpenArchive(file, archive);
        params.targetFolder = run.target;
        params.ownedFolder = &run.owned;
        params.payload = recorded;
        c.change(&params.payload);
        ASSERT_TRUE(run.thread.StartExtraction(params));
        run.dialog.RunUntilFinal();
        run.thread.WaitForEnd();
        if (c.passes) {
            EXPECT_EQ(run.dialog.Milestones(), std::vector<UINT>{WM_SFX_EXTRACT_DONE}) << c.name;
            continue;
        }
        EXPECT_EQ(run.dialog.Milestones(),
                  (std::vector<UINT>{WM_SFX_EXTRACT_ERROR, WM_SFX_DELETING_FILES, WM_SFX_EXTRACT_FAILED}))
            << c.name;
        ASSERT_EQ(run.dialog.errors.size(), 1u) << c.name;
        EXPECT_EQ(run.dialog.errors[0].kind, kExtractErrorDamaged) << c.name;
        EXPECT_EQ(run.dialog.errors[0].code, kExtractCodePayloadChanged) << c.name;
        EXPECT_FALSE(CTempFolder::Exists(run.target)) << c.name;
    }
}

class ExtractOverwrite : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectoryW(m_run.target.c_str(), nullptr));
        ASSERT_TRUE(CTempFolder::WriteFile(m_run.target + L"\\file1.txt", "old 1"));
        ASSERT_TRUE(CTempFolder::WriteFile(m_run.target + L"\\file2.txt", "old 2"));
    }
    std::string Content(const wchar_t* name) {
        std::string bytes;
        ReadWholeFile(m_run.target + L"\\" + name, &bytes);
        return bytes;
    }
    CRun m_run;
};

TEST_F(ExtractOverwrite, YesToAllAsksOnceAndReplacesAll) {
    m_run.dialog.password = L"Pa55 wörd";
    m_run.dialog.overwriteReply = kOverwriteAll;
    m_run.Extract(Fixture(L"setup_encrypted.exe"));
    EXPECT_EQ(m_run.dialog.finalMessage, WM_SFX_EXTRACT_DONE);
    ASSERT_EQ(m_run.dialog.overwriteNames.size(), 1u);
    EXPECT_EQ(m_run.dialog.overwriteNames[0].substr(0, m_run.target.size()), m_run.target);
    EXPECT_EQ(Content(L"file1.txt"), "secret file 1\n");
    EXPECT_EQ(Content(L"file2.txt"), "secret file 2\n");
}

TEST_F(ExtractOverwrite, OtherRepliesKeepEachExistingFile) {
    m_run.dialog.password = L"Pa55 wörd";
    m_run.dialog.overwriteReply = kOverwriteNotAsked;
    m_run.Extract(Fixture(L"setup_encrypted.exe"));
    EXPECT_EQ(m_run.dialog.finalMessage, WM_SFX_EXTRACT_DONE);
    EXPECT_EQ(m_run.dialog.overwriteNames.size(), 2u);
    EXPECT_EQ(Content(L"file1.txt"), "old 1");
    EXPECT_EQ(Content(L"file2.txt"), "old 2");
    EXPECT_EQ(Content(L"file3.txt"), "secret file 3\n");
}

// Before each new file the extraction first asks the system whether the name
// is surely absent, and when it is, makes the file without looking further:
// every kind of name already there must still reach the question and keep
// its content.
TEST(ExtractExistingName, EveryKindIsAskedAbout) {
    struct Row {
        const char* what;
        std::wstring target;  // under the scratch folder
        const wchar_t* existing;
        DWORD attributes;
    };
    const Row rows[] = {
        {"the same name", L"out", L"readme.txt", FILE_ATTRIBUTE_NORMAL},
        {"another case", L"out", L"README.TXT", FILE_ATTRIBUTE_NORMAL},
        {"another case, not ASCII", L"out", L"GR\u00DC\u00DFE.TXT", FILE_ATTRIBUTE_NORMAL},
        {"read-only, in a subfolder", L"out", L"folder with spaces\\nested\\deep.txt", FILE_ATTRIBUTE_READONLY},
        {"longer than MAX_PATH", L"out\\" + std::wstring(240, L'x'), L"readme.txt", FILE_ATTRIBUTE_NORMAL},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        CTempFolder temp;
        const std::wstring target = temp / row.target;
        const std::wstring existing = L"\\\\?\\" + target + L"\\" + row.existing;
        const std::wstring deepest = L"\\\\?\\" + target + L"\\folder with spaces\\nested";
        for (size_t at = temp.Path().size() + 4; at != std::wstring::npos; at = deepest.find(L'\\', at + 1))
            CreateDirectoryW(deepest.substr(0, at).c_str(), nullptr);
        ASSERT_TRUE(CreateDirectoryW(deepest.c_str(), nullptr));
        ASSERT_TRUE(CTempFolder::WriteFile(existing, "old"));
        ASSERT_TRUE(SetFileAttributesW(existing.c_str(), row.attributes));
        CDialogStandIn dialog;
        dialog.overwriteReply = kOverwriteNotAsked;
        CExtractThread thread;
        RunExtraction(thread, dialog, Fixture(L"setup_copy.exe"), target);
        EXPECT_EQ(dialog.finalMessage, WM_SFX_EXTRACT_DONE);
        EXPECT_EQ(dialog.overwriteNames.size(), 1u);
        std::string content;
        EXPECT_TRUE(ReadWholeFile(existing, &content));
        EXPECT_EQ(content, "old");
    }
}

TEST_F(ExtractOverwrite, CancelEndsTheRun) {
    m_run.dialog.password = L"Pa55 wörd";
    m_run.dialog.overwriteReply = kOverwriteCancel;
    m_run.Extract(Fixture(L"setup_encrypted.exe"));
    EXPECT_EQ(m_run.dialog.finalMessage, WM_SFX_EXTRACT_CANCELLED);
    EXPECT_TRUE(m_run.dialog.errors.empty());
    EXPECT_EQ(Content(L"file1.txt"), "old 1");
}

// Without a window every question counts as answered 0: the first one cancels.
TEST(ExtractWithoutWindow, OverwriteQuestionCancels) {
    CTempFolder temp;
    const std::wstring target = temp / L"out";
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    ASSERT_TRUE(CTempFolder::WriteFile(target + L"\\readme.txt", "old"));
    CExtractThread thread;
    ExtractParams params;
    orelib::COwnFile archive;
    params.archivePath = Fixture(L"setup_copy.exe");
    params.archiveFile = OpenArchive(archive, params.archivePath);
    params.targetFolder = target;
    ASSERT_TRUE(thread.StartExtraction(params));
    thread.WaitForEnd();
    std::string content;
    ASSERT_TRUE(ReadWholeFile(target + L"\\readme.txt", &content));
    EXPECT_EQ(content, "old");
    // Items after the question are never written.
    EXPECT_FALSE(CTempFolder::Exists(target + L"\\program.exe"));
}

TEST(ExtractWithoutWindow, PasswordRequestCancels) {
    CTempFolder temp;
    const std::wstring target = temp / L"out";
    CExtractThread thread;
    ExtractParams params;
    orelib::COwnFile archive;
    params.archivePath = Fixture(L"setup_encrypted.exe");
    params.archiveFile = OpenArchive(archive, params.archivePath);
    params.targetFolder = target;
    orelib::CWorkingFolder owned;
    ASSERT_EQ(MakeOwnedFolder(owned, target), S_OK);
    params.ownedFolder = &owned;
    ASSERT_TRUE(thread.StartExtraction(params));
    thread.WaitForEnd();
    // Cancelled and cleaned up: nothing is left.
    EXPECT_FALSE(CTempFolder::Exists(target));

    // The same run with a window that answers extracts everything.
    CDialogStandIn dialog;
    dialog.password = L"Pa55 wörd";
    ASSERT_EQ(MakeOwnedFolder(owned, target), S_OK);
    RunExtraction(thread, dialog, Fixture(L"setup_encrypted.exe"), target, &owned);
    EXPECT_EQ(CompareTrees(Fixture(L"many"), target), "");
}

}  // namespace
