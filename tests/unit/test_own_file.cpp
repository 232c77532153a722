// The program's own file: opened so that nobody can change, rename or delete
// it while the run holds it, and refused when it is not the loaded image.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/OwnFileOpen.h"
#include "orelib/win32/Files.h"
#include "orelib/win32/OwnFile.h"
#include "tests/unit/PeFileCopy.h"
#include "tests/unit/TempFolder.h"
#include "Layers.h"

using orelib::COwnFile;

TEST(OwnFile, OnlyTheLoadedImageItselfMatches) {
    COwnFile self;
    ASSERT_EQ(self.OpenRunningImage(), S_OK);
    EXPECT_EQ(self.Size(), static_cast<int64_t>(OwnImage().size()));

    // Copies of this test program with one thing changed, each checked
    // against the image the system loaded.
    const std::string image = OwnImage();
    uint32_t pe = 0;
    std::memcpy(&pe, image.data() + 0x3C, 4);
    const size_t resource = SizeResourceOffset(image);
    ASSERT_NE(resource, 0u);
    const struct {
        const char* what;
        size_t offset;  // npos: the copy is left as it is
        HRESULT expected;
    } cases[] = {
        {"an exact copy", std::string::npos, S_OK},
        {"another time stamp", pe + 8, orelib::kOwnFileReplaced},
        {"another recorded size", resource, orelib::kOwnFileReplaced},
        {"another section table", pe + 0xF8 + 1, orelib::kOwnFileReplaced},
    };
    CTempFolder dir;
    for (const auto& c : cases) {
        std::string copy = image;
        if (c.offset != std::string::npos) copy[c.offset] = static_cast<char>(copy[c.offset] ^ 0x5A);
        const std::wstring path = dir / L"copy.exe";
        ASSERT_TRUE(CTempFolder::WriteFile(path, copy));
        {
            COwnFile file;
            ASSERT_EQ(file.Open(path), S_OK) << c.what;
            EXPECT_EQ(file.CheckMatchesImage(GetModuleHandleW(nullptr)), c.expected) << c.what;
        }
        DeleteFileW(path.c_str());
    }
    const std::wstring text = dir / L"text.exe";
    ASSERT_TRUE(CTempFolder::WriteFile(text, "not a program at all"));
    COwnFile file;
    ASSERT_EQ(file.Open(text), S_OK);
    EXPECT_EQ(file.CheckMatchesImage(GetModuleHandleW(nullptr)), orelib::kOwnFileReplaced);
}

// Opened on its own thread from the start of the process or when the run
// asks for it, the run gets the same file, held the same way.
TEST(OwnFile, OpenStartedEarlyHandsOverTheHeldFile) {
    for (bool early : {true, false}) {
        if (early) StartOwnFileOpen();
        COwnFile file;
        EXPECT_EQ(FinishOwnFileOpen(&file), S_OK) << early;
        ASSERT_TRUE(file.IsOpen()) << early;
        EXPECT_EQ(file.Path(), orelib::GetModulePath(nullptr)) << early;
        EXPECT_EQ(file.Size(), static_cast<int64_t>(OwnImage().size())) << early;
        // Still held with read sharing only: nobody can open it to write.
        const HANDLE writer = CreateFileW(file.Path().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(writer, INVALID_HANDLE_VALUE) << early;
        if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    }
}

TEST(OwnFile, HeldFileCannotBeChangedRenamedOrDeleted) {
    CTempFolder dir;
    const std::wstring path = dir / L"setup.exe";
    ASSERT_TRUE(CTempFolder::WriteFile(path, OwnImage()));
    COwnFile held;
    ASSERT_EQ(held.Open(path), S_OK);

    const std::wstring moved = dir / L"moved.exe";
    const struct {
        const char* what;
        bool (*attempt)(const std::wstring& path, const std::wstring& moved);
    } attempts[] = {
        {"rename",
         [](const std::wstring& p, const std::wstring& m) { return MoveFileExW(p.c_str(), m.c_str(), 0) != 0; }},
        {"delete", [](const std::wstring& p, const std::wstring&) { return DeleteFileW(p.c_str()) != 0; }},
        {"open for writing",
         [](const std::wstring& p, const std::wstring&) {
             HANDLE h = CreateFileW(p.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
             if (h == INVALID_HANDLE_VALUE) return false;
             CloseHandle(h);
             return true;
         }},
        {"replace",
         [](const std::wstring& p, const std::wstring& m) {
             return CTempFolder::WriteFile(m, "other") &&
                    MoveFileExW(m.c_str(), p.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
         }},
    };
    for (const auto& a : attempts) {
        EXPECT_FALSE(a.attempt(path, moved)) << a.what;
        EXPECT_EQ(ReadWholeFile(path), OwnImage()) << a.what;
    }
    // Readers such as a virus scanner still get in.
    HANDLE reader = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
}
