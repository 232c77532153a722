// The packager's archive reader and writer: archives made by 7zz and by
// our writer read back with their methods, items and encryption; damaged,
// truncated, foreign and password archives refused with the right reason.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "packager/archive/ArchiveReader.h"
#include "packager/archive/ArchiveWriter.h"
#include "packager/platform/FileHelpers.h"
#include "packager/core/PackError.h"
#include "packager/archive/PackageFolder.h"
#include "packager/platform/Platform.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

void WriteFile(const fs::path& path, const Bytes& data) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A small x86 PE image (enough for the library to choose BCJ/BCJ2), text
// and incompressible bytes.
class ArchiveFixture : public ::testing::Test {
protected:
    void SetUp() override {
        m_package = m_scratch.Path() / "package";
        fs::create_directories(m_package / "bin");
        fs::create_directories(m_package / "empty");
        Bytes pe(64 * 1024, 0x90);
        pe[0] = 'M';
        pe[1] = 'Z';
        pe[0x3C] = 0x80;
        const uint8_t header[] = {'P', 'E', 0, 0, 0x4C, 0x01};  // i386
        std::copy(std::begin(header), std::end(header), pe.begin() + 0x80);
        for (size_t i = 0x400; i + 5 < pe.size(); i += 7) pe[i] = 0xE8;  // calls
        WriteFile(m_package / "bin" / "tool.exe", pe);
        std::string text;
        for (int i = 0; i < 2000; ++i) text += "line " + std::to_string(i) + " of the readme\n";
        WriteFile(m_package / "readme.txt", Bytes(text.begin(), text.end()));
        Bytes noise(30000);
        uint32_t x = 12345;
        for (auto& b : noise) b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 24);
        WriteFile(m_package / "noise.bin", noise);
    }

    // An archive made by 7zz; an empty path on Windows, which has no 7zz
    // (the rows that need one are left out there).
    fs::path SevenZip(const std::string& name, std::vector<std::string> switches) {
#ifdef _WIN32
        (void)name;
        (void)switches;
        return fs::path();
#else
        const fs::path archive = m_scratch.Path() / name;
        std::vector<std::string> args{"7zz", "a", "-t7z", "-bd", "-y"};
        args.insert(args.end(), switches.begin(), switches.end());
        args.push_back(archive.string());
        args.push_back("*");
        const sfxpack::ProcessResult run = sfxpack::RunProcess(args, m_package);
        EXPECT_TRUE(run.started && run.exitCode == 0) << run.output;
        return archive;
#endif
    }

    fs::path Ours(const std::string& name, const std::string& password) {
        const fs::path archive = m_scratch.Path() / name;
        sfxpack::ArchiveSettings settings;
        settings.password = password;
        sfxpack::WriteArchive(sfxpack::ScanPackageFolder(m_package, std::nullopt), archive, settings);
        return archive;
    }

    sfxpack::CTempDir m_scratch;
    fs::path m_package;
};

std::string ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const sfxpack::CPackError& e) {
        return e.what();
    }
    return std::string();
}

bool Has(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

}  // namespace

TEST_F(ArchiveFixture, ReadsMethodsItemsAndEncryptionOfArchivesByBothWriters) {
    struct Case {
        const char* name;
        fs::path archive;
        std::vector<std::string> methods;  // must be listed
        bool dataEncrypted;
        bool stubCanOpen;
    };
    const Case cases[] = {
        {"ours", Ours("ours.7z", ""), {"LZMA2"}, false, true},
        {"ours, password", Ours("ourspw.7z", "pw"), {"LZMA2", "7zAES"}, true, true},
        {"7zz -mx=9", SevenZip("mx9.7z", {"-mx=9"}), {"LZMA2"}, false, true},
        {"7zz BCJ + LZMA", SevenZip("bcj.7z", {"-m0=BCJ", "-m1=LZMA"}), {"BCJ", "LZMA"}, false, true},
        {"7zz copy", SevenZip("copy.7z", {"-mx=0"}), {"Copy"}, false, true},
        {"7zz PPMd", SevenZip("ppmd.7z", {"-m0=PPMd"}), {"PPMD"}, false, false},
        {"7zz BZip2", SevenZip("bzip2.7z", {"-m0=BZip2"}), {"BZip2"}, false, false},
        {"7zz ARM64", SevenZip("arm64.7z", {"-m0=ARM64", "-m1=LZMA2"}), {"ARM64"}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.archive.empty()) continue;
        sfxpack::CArchiveReader reader(c.archive, 0);
        const sfxpack::ArchiveInfo& info = reader.Info();
        for (const std::string& method : c.methods) EXPECT_TRUE(Has(info.methods, method)) << method;
        EXPECT_FALSE(info.headersEncrypted);
        EXPECT_EQ(c.dataEncrypted, info.dataEncrypted);
        EXPECT_EQ(5u, info.itemCount);  // bin, bin/tool.exe, empty, noise.bin, readme.txt
        EXPECT_EQ(5u, info.paths.size());
        EXPECT_TRUE(Has(info.paths, "bin/tool.exe"));
        EXPECT_TRUE(Has(info.paths, "empty"));
        EXPECT_EQ(64u * 1024 + 30000 + fs::file_size(m_package / "readme.txt"), info.unpackedSize);
        EXPECT_EQ(fs::file_size(c.archive), info.physicalSize);
        EXPECT_EQ(c.stubCanOpen, !sfxpack::CheckArchiveForStub(info))
            << sfxpack::CheckArchiveForStub(info).value_or("");
        if (!c.stubCanOpen) {
            EXPECT_NE(std::string::npos, ErrorOf([&] { reader.TestAll(); }).find("cannot decode"));
        } else if (c.dataEncrypted) {
            EXPECT_NE("", ErrorOf([&] { reader.TestAll(); }));
            EXPECT_NE(std::string::npos, ErrorOf([&] { reader.TestAll("wrong"); }).find("wrong password"));
            EXPECT_EQ("", ErrorOf([&] { reader.TestAll("pw"); }));
        } else {
            EXPECT_EQ("", ErrorOf([&] { reader.TestAll(); }));
        }
    }
}

TEST_F(ArchiveFixture, DamagedTruncatedMisplacedAndHeaderEncryptedArchivesAreRefused) {
    const Bytes good = ReadFile(Ours("good.7z", ""));
    const fs::path path = m_scratch.Path() / "bad.7z";
    struct Case {
        const char* name;
        Bytes bytes;
        uint64_t offset;
        const char* openError;  // empty: opens, and then testing fails with `testError`
        const char* testError;
    };
    Bytes flipped = good;
    flipped[32 + 100] ^= 0x55;  // inside the packed data
    Bytes shifted(100, 'x');
    shifted.insert(shifted.end(), good.begin(), good.end());
    const Bytes cut(good.begin(), good.end() - 10);
    const fs::path headerEncryptedArchive = SevenZip("he.7z", {"-mhe=on", "-psecret"});
    const Case cases[] = {
        {"flipped data byte", flipped, 0, "", "error"},
        {"truncated", cut, 0, "truncated", ""},
        {"wrong offset", shifted, 0, "no 7z archive starts at offset 0", ""},
        {"right offset", shifted, 100, "", nullptr},
        {"not an archive", Bytes(200, 'z'), 0, "no 7z archive", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(path, c.bytes);
        std::unique_ptr<sfxpack::CArchiveReader> reader;
        const std::string opened = ErrorOf([&] { reader = std::make_unique<sfxpack::CArchiveReader>(path, c.offset); });
        if (*c.openError != '\0') {
            EXPECT_NE(std::string::npos, opened.find(c.openError)) << opened;
            continue;
        }
        ASSERT_EQ("", opened);
        const std::string tested = ErrorOf([&] { reader->TestAll(); });
        if (c.testError == nullptr)
            EXPECT_EQ("", tested);
        else
            EXPECT_NE(std::string::npos, tested.find(c.testError)) << tested;
    }

    // Encrypted headers: seen without the password, refused for the stub;
    // with the password the listing works.
    if (headerEncryptedArchive.empty()) return;
    WriteFile(path, ReadFile(headerEncryptedArchive));
    sfxpack::CArchiveReader locked(path, 0);
    EXPECT_TRUE(locked.Info().headersEncrypted);
    EXPECT_NE(std::string::npos,
              sfxpack::CheckArchiveForStub(locked.Info()).value_or("").find("headers are encrypted"));
    sfxpack::CArchiveReader unlocked(path, 0, std::string("secret"));
    EXPECT_TRUE(unlocked.Info().headersEncrypted);
    EXPECT_EQ(5u, unlocked.Info().itemCount);
    EXPECT_NE("", ErrorOf([&] { sfxpack::CArchiveReader(path, 0, std::string("nope")); }));
}
