// `sfxpack build`, `inspect` and `verify` through the command line, on a
// hand-built stub: the finished file's format, determinism, and the errors
// that must leave no output behind. Runs 7zz to test the archives it packs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "orelib/Aes.h"
#include "orelib/ConfigBlock.h"
#include "orelib/ConfigKey.h"
#include "packager/archive/ArchiveReader.h"
#include "packager/archive/ArchiveWriter.h"
#include "packager/commands/Builder.h"
#include "packager/cli/Cli.h"
#include "packager/core/ExitCodes.h"
#include "packager/platform/FileHelpers.h"
#include "packager/archive/PackageFolder.h"
#include "packager/core/PackError.h"
#include "packager/platform/Password.h"
#include "packager/platform/Platform.h"
#include "packager/core/LayoutRules.h"
#include "packager/core/Sha256.h"
#include "tests/native/TestPe.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

void WriteFile(const fs::path& path, const Bytes& data) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
}

void WriteText(const fs::path& path, const std::string& text) { WriteFile(path, Bytes(text.begin(), text.end())); }

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

struct RunResult {
    int code;
    std::string out, err;
};

// Sets an environment variable for one scope.
class CEnv {
public:
    CEnv(const char* name, const char* value) : m_name(name) {
        const char* old = std::getenv(name);
        m_had = old != nullptr;
        if (m_had) m_old = old;
        Set(name, value);
    }
    ~CEnv() { Set(m_name, m_had ? m_old.c_str() : nullptr); }

private:
    static void Set(const char* name, const char* value) {
#ifdef _WIN32
        _putenv_s(name, value ? value : "");  // "" removes it
#else
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
#endif
    }

    const char* m_name;
    bool m_had;
    std::string m_old;
};

class SfxpackBuild : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = m_scratch.Path();
        m_stubImage = testpe::BuildStub();
        WriteFile(Stub(), m_stubImage.bytes);
        WriteText(Config(), "[main]\nSetupFileName=probe.exe\nSetupParams=/x \"a b\"\n");
        fs::create_directories(Package() / "sub");
        WriteText(Package() / "probe.exe", "not really a program\n");
        WriteText(Package() / "sub" / "data.txt", std::string(5000, 'd'));
    }

    fs::path Stub() const { return m_dir / "stub.exe"; }
    fs::path Config() const { return m_dir / "config.ini"; }
    fs::path Package() const { return m_dir / "package"; }
    fs::path Out() const { return m_dir / "out" / "setup.exe"; }

    RunResult Sfxpack(std::vector<std::string> args) {
        std::ostringstream out, err;
        const int code = sfxpack::RunCommandLine(args, out, err);
        return {code, out.str(), err.str()};
    }

    RunResult Build(std::vector<std::string> extra = {}) {
        fs::create_directories(Out().parent_path());
        std::vector<std::string> args{"build",         "--config", Config().string(), "--stub",
                                      Stub().string(), "-o",       Out().string()};
        if (extra.empty()) extra = {"--dir", Package().string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return Sfxpack(args);
    }

    // A failed build prints one error line and leaves the output folder as it was.
    void ExpectFailure(const RunResult& run, const std::string& needle) {
        EXPECT_EQ(1, run.code);
        EXPECT_EQ(0u, run.err.rfind("sfxpack: error: ", 0)) << run.err;
        EXPECT_EQ(1, std::count(run.err.begin(), run.err.end(), '\n')) << run.err;
        EXPECT_NE(std::string::npos, run.err.find(needle)) << run.err;
        EXPECT_FALSE(fs::exists(Out()));
        if (fs::exists(Out().parent_path())) {
            EXPECT_TRUE(fs::is_empty(Out().parent_path())) << "leftovers in the output folder";
        }
    }

    sfxpack::CTempDir m_scratch;
    fs::path m_dir;
    testpe::Image m_stubImage;
};

}  // namespace

TEST_F(SfxpackBuild, FinishedFileIsStubThenBlockThenArchive) {
    const RunResult run = Build();
    ASSERT_EQ(0, run.code) << run.err;
    const Bytes file = ReadFile(Out());
    const Bytes& stub = m_stubImage.bytes;

    // The stub comes first and unchanged, except for its size resource and
    // the digest of all that follows it.
    ASSERT_GT(file.size(), stub.size());
    Bytes head(file.begin(), file.begin() + stub.size());
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(static_cast<uint8_t>(uint64_t{file.size()} >> (8 * i)), head[m_stubImage.data + i]);
        head[m_stubImage.data + i] = 0;
    }
    const sfxpack::StubFields fields = sfxpack::CheckStub(stub);
    orelib::PayloadDigest digest;
    ASSERT_TRUE(orelib::DecodePayloadDigest(head.data() + fields.digest, 48, &digest));
    EXPECT_EQ(stub.size(), digest.offset);
    EXPECT_EQ(file.size() - stub.size(), digest.size);
    sfxpack::CSha256Digest payload;
    payload.Update(file.data() + stub.size(), file.size() - stub.size());
    EXPECT_EQ(payload.Finish(), digest.sha256);
    std::fill(head.begin() + fields.digest, head.begin() + fields.digest + 48, 0);
    EXPECT_EQ(stub, head);

    // Right after it: start marker, IV, ciphertext, end marker.
    const std::string config = "[main]\nSetupFileName=probe.exe\nSetupParams=/x \"a b\"\n";
    const size_t blockSize = 18 + 16 + (config.size() / 16 + 1) * 16 + 15;
    const std::string start(file.begin() + stub.size(), file.begin() + stub.size() + 18);
    EXPECT_EQ(";!@Install@!UTF-8!", start);
    const size_t end = stub.size() + blockSize - 15;
    EXPECT_EQ(";!@InstallEnd@!", std::string(file.begin() + end, file.begin() + end + 15));

    uint8_t key[16];
    orelib::GetConfigKey(key);
    Bytes plain;
    orelib::DecryptAes128Cbc(&plain, file.data() + stub.size() + 18, static_cast<uint32_t>(blockSize - 33), key, 16);
    EXPECT_EQ(config, std::string(plain.begin(), plain.end()));

    // Then the archive, packed from the folder.
    EXPECT_TRUE(sfxpack::IsSevenZipHeaderAt(file.data(), file.size(), stub.size() + blockSize));
    size_t found = 0;
    ASSERT_TRUE(sfxpack::FindSevenZipHeader(file.data(), file.size(), sfxpack::kArchiveScanLimit, &found));
    EXPECT_EQ(stub.size() + blockSize, found);
    EXPECT_TRUE(sfxpack::CheckSetupSize(file.data(), file.size(), file.size()).passes);
}

TEST_F(SfxpackBuild, InspectShowsWhatTheStubWillSeeAndVerifyAgrees) {
    ASSERT_EQ(0, Build().code);
    const RunResult inspect = Sfxpack({"inspect", Out().string()});
    EXPECT_EQ(0, inspect.code) << inspect.out;
    const size_t stub = m_stubImage.bytes.size();
    EXPECT_NE(std::string::npos, inspect.out.find("configuration block: offset " + std::to_string(stub)));
    EXPECT_NE(std::string::npos, inspect.out.find("SetupParams=/x \"a b\"\n"));
    EXPECT_NE(std::string::npos, inspect.out.find("certificate table:  none"));
    EXPECT_NE(std::string::npos, inspect.out.find("size check:         passes"));
    EXPECT_EQ(0, Sfxpack({"verify", Out().string()}).code);

    // One byte cut off: verify fails and says why.
    Bytes file = ReadFile(Out());
    file.pop_back();
    WriteFile(Out(), file);
    const RunResult verify = Sfxpack({"verify", Out().string()});
    EXPECT_EQ(sfxpack::kExitLayout, verify.code);
    EXPECT_NE(std::string::npos, verify.err.find("actual " + std::to_string(file.size())));
    EXPECT_NE(std::string::npos, Sfxpack({"inspect", Out().string()}).out.find("size check:         fails"));
}

TEST_F(SfxpackBuild, SameInputsGiveTheSameFileRandomIvDoesNot) {
    // The archive is taken as it is, so only the IV could differ.
    ASSERT_EQ(0, Build().code);
    const Bytes first = ReadFile(Out());
    const fs::path archive = m_dir / "package.7z";
    const size_t archiveOffset = m_stubImage.bytes.size() + 18 + 16 + 64 + 15;
    WriteFile(archive, Bytes(first.begin() + archiveOffset, first.end()));

    ASSERT_EQ(0, Build({"--archive", archive.string()}).code);
    const Bytes a = ReadFile(Out());
    ASSERT_EQ(0, Build({"--archive", archive.string()}).code);
    EXPECT_EQ(a, ReadFile(Out()));
    EXPECT_EQ(first, a);  // packing the folder again gave the same archive

    ASSERT_EQ(0, Build({"--archive", archive.string(), "--random-iv"}).code);
    const Bytes r = ReadFile(Out());
    ASSERT_EQ(a.size(), r.size());
    EXPECT_NE(a, r);
    EXPECT_EQ(0, Sfxpack({"inspect", Out().string()}).code);
}

TEST_F(SfxpackBuild, EmptyConfigurationGivesBlockThatDecryptsToNothing) {
    WriteText(Config(), "");
    // An empty configuration is refused unless allowed; the default setup.exe is not in this package.
    ASSERT_EQ(sfxpack::kExitConfiguration, Build().code);
    ASSERT_EQ(sfxpack::kExitSetupMissing, Build({"--dir", Package().string(), "--allow", "config.empty"}).code);
    ASSERT_EQ(0, Build({"--dir", Package().string(), "--allow", "config.empty", "--allow-missing-setup"}).code);
    const Bytes file = ReadFile(Out());
    std::wstring text = L"x";
    EXPECT_EQ(orelib::ConfigBlockStatus::Ok, orelib::DecodeConfigBlock(file.data(), file.size(), &text));
    EXPECT_TRUE(text.empty());
    EXPECT_NE(std::string::npos, Sfxpack({"inspect", Out().string()}).out.find("(empty;"));
}

TEST_F(SfxpackBuild, BadInputFailsWithOneLineAndNoOutput) {
    ExpectFailure(Sfxpack({"build", "--config", (m_dir / "none.ini").string(), "--stub", Stub().string(), "--dir",
                           Package().string(), "-o", Out().string()}),
                  "does not exist");
    ExpectFailure(Build({"--dir", (m_dir / "nowhere").string()}), "does not exist");
    ExpectFailure(Build({"--dir", Config().string()}), "is not a folder");
    fs::create_directories(m_dir / "empty");
    ExpectFailure(Build({"--dir", (m_dir / "empty").string()}), "is empty");
    ExpectFailure(Build({"--archive", Config().string()}), "not a 7z archive");
    ExpectFailure(Build({"--archive", (m_dir / "none.7z").string()}), "does not exist");
    // A given archive whose file data is damaged (headers intact) is refused:
    // catches a build that lists a given archive without test-decoding it.
    ASSERT_EQ(0, Build().code);
    const Bytes built = ReadFile(Out());
    fs::remove(Out());
    size_t at = 0;
    ASSERT_TRUE(sfxpack::FindSevenZipHeader(built.data(), built.size(), sfxpack::kArchiveScanLimit, &at));
    Bytes damaged(built.begin() + static_cast<std::ptrdiff_t>(at), built.end());
    damaged[32 + 8] ^= 0x55;  // compressed data, as in VerifyNamesEachClassOfDamage
    WriteFile(m_dir / "damaged.7z", damaged);
    ExpectFailure(Build({"--archive", (m_dir / "damaged.7z").string()}), "the archive is damaged");

    WriteFile(Config(), {'[', 'm', ']', 0xC3, 0x28, '\n'});
    const RunResult notUtf8 = Build();
    EXPECT_EQ(sfxpack::kExitConfiguration, notUtf8.code);
    EXPECT_NE(std::string::npos, notUtf8.err.find("is not valid UTF-8")) << notUtf8.err;
    EXPECT_FALSE(fs::exists(Out()));
}

// check --json with warnings only (a key given twice): exit 0, "ok": true,
// and stdout the JSON document alone, at every verbosity. Catches warnings
// taken for failure and text for people written to stdout.
TEST_F(SfxpackBuild, CheckJsonWithWarningsOnlyIsOkAndStdoutIsTheDocument) {
    WriteText(Config(), "[main]\nSetupFileName=probe.exe\nSetupFileName=probe.exe\n");
    for (const std::string verbosity : {"", "-q", "-v"}) {
        std::vector<std::string> args{"check", "--json", "--config", Config().string(), "--dir", Package().string()};
        if (!verbosity.empty()) args.push_back(verbosity);
        const RunResult run = Sfxpack(args);
        EXPECT_EQ(0, run.code) << verbosity << "\n" << run.err;
        EXPECT_EQ(0u, run.out.find("{\n  \"schema_version\": 1,")) << verbosity << "\n" << run.out;
        EXPECT_EQ(run.out.size() - 3, run.out.find("\n}\n")) << verbosity << "\n" << run.out;
        EXPECT_NE(std::string::npos, run.out.find("\"ok\": true,")) << run.out;
        EXPECT_NE(std::string::npos, run.out.find("\"severity\": \"warning\"")) << run.out;
    }
}

TEST_F(SfxpackBuild, UnusableStubsAreRefused) {
    WriteText(Stub(), "plain text, not a program");
    ExpectFailure(Build(), "no MZ header");
    WriteFile(Stub(), testpe::Build(10, u"OTHER", Bytes(8, 0)).bytes);
    ExpectFailure(Build(), "no _KTV_VERIFY");
    WriteFile(Stub(), testpe::Build(10, u"_KTV_VERIFY", Bytes(4, 0)).bytes);
    ExpectFailure(Build(), "4 bytes, not 8");
    ExpectFailure(Sfxpack({"build", "--config", Config().string(), "--stub", (m_dir / "missing.exe").string(), "--dir",
                           Package().string(), "-o", Out().string()}),
                  "does not exist");
}

TEST_F(SfxpackBuild, ArchiveBeyondFourMiBIsRefused) {
    // A stub whose resource data is followed by 4 MiB of padding.
    auto big = testpe::BuildStub();
    big.bytes.resize(4u * 1024 * 1024, 0);
    WriteFile(Stub(), big.bytes);
    ExpectFailure(Build(), "4 MiB");
}

TEST_F(SfxpackBuild, UnwritableOutputLeavesNothingAndKeepsAnOldFile) {
    const RunResult noFolder = Sfxpack({"build", "--config", Config().string(), "--stub", Stub().string(), "--dir",
                                        Package().string(), "-o", (m_dir / "no" / "such" / "x.exe").string()});
    EXPECT_EQ(1, noFolder.code);
    EXPECT_NE(std::string::npos, noFolder.err.find("does not exist"));

    fs::create_directories(Out());  // the output path is a folder
    const RunResult isFolder = Build();
    EXPECT_EQ(1, isFolder.code);
    EXPECT_NE(std::string::npos, isFolder.err.find("is a folder"));
    fs::remove(Out());

    // A failing build does not touch an existing output file.
    WriteText(Out(), "previous");
    WriteText(Config(), std::string("\xFF"));
    EXPECT_EQ(sfxpack::kExitConfiguration, Build().code);
    const Bytes kept = ReadFile(Out());
    EXPECT_EQ("previous", std::string(kept.begin(), kept.end()));
    EXPECT_EQ(
        1u, static_cast<size_t>(std::distance(fs::directory_iterator(Out().parent_path()), fs::directory_iterator())));
}

TEST_F(SfxpackBuild, UsageErrorsExitWithTwo) {
    EXPECT_EQ(2, Sfxpack({}).code);
    EXPECT_EQ(2, Sfxpack({"frobnicate"}).code);
    EXPECT_EQ(2, Sfxpack({"build", "--dir", "x", "-o", "y"}).code);     // no config
    EXPECT_EQ(2, Sfxpack({"build", "--config", "c", "-o", "y"}).code);  // no input
    EXPECT_EQ(2, Sfxpack({"build", "--config", "c", "--dir", "x", "--archive", "a", "-o", "y"}).code);
    EXPECT_EQ(2, Sfxpack({"build", "--config", "c", "--dir", "x"}).code);  // no output
    EXPECT_EQ(2, Sfxpack({"build", "--config", "c", "--archive", "a", "--password", "p", "-o", "y"}).code);
    EXPECT_EQ(2, Sfxpack({"build", "--config", "c", "--archive", "a", "--password-file", "p", "-o", "y"}).code);
    for (const char* bad : {"", "-5", "1e9", "12x", " 7", "99999999999999999999"}) {
        EXPECT_EQ(2, Sfxpack({"build", "--config", "c", "--dir", "x", "-o", "y", "--mtime", bad}).code) << bad;
    }
    EXPECT_EQ(2, Sfxpack({"build", "--config"}).code);
    EXPECT_EQ(2, Sfxpack({"inspect"}).code);
    EXPECT_EQ(0, Sfxpack({"--help"}).code);
}

TEST_F(SfxpackBuild, PasswordEncryptsFileDataButNotHeaders) {
    ASSERT_EQ(0, Build({"--dir", Package().string(), "--password", "s3cret"}).code);
    const Bytes file = ReadFile(Out());
    const size_t archiveOffset = m_stubImage.bytes.size() + 18 + 16 + 64 + 15;
    const fs::path archive = m_dir / "pw.7z";
    WriteFile(archive, Bytes(file.begin() + archiveOffset, file.end()));
    // The data needs the password; the listing (which the packager makes
    // with a wrong password) does not, so the archive is accepted as given.
#ifdef _WIN32
    // No 7zz on Windows: the packager's own reader.
    sfxpack::CArchiveReader reader(archive, 0);
    EXPECT_THROW(reader.TestAll("wrong"), sfxpack::CPackError);
    EXPECT_NO_THROW(reader.TestAll("s3cret"));
#else
    EXPECT_NE(0, sfxpack::RunProcess({"7zz", "t", "-pwrong", archive.string()}, {}).exitCode);
    EXPECT_EQ(0, sfxpack::RunProcess({"7zz", "t", "-ps3cret", archive.string()}, {}).exitCode);
#endif
    EXPECT_EQ(0, Build({"--archive", archive.string()}).code);
}

// The file is read back before it takes the output's name: damage done to
// the written temporary file must fail the build, and leave nothing behind.
TEST_F(SfxpackBuild, DamageFoundOnReadBackFailsTheBuildAndLeavesNothing) {
    const size_t stub = m_stubImage.bytes.size();
    const struct {
        const char* needle;
        std::function<void(Bytes*)> damage;
    } kCases[] = {
        {"does not read back", [&](Bytes* f) { (*f)[stub + 18 + 16] ^= 1; }},  // block ciphertext
        {"would not find the archive", [&](Bytes* f) { (*f)[stub + 18 + 16 + 64 + 15 + 12] ^= 1; }},
        {"size check", [&](Bytes* f) { f->push_back(0); }},
    };
    for (const auto& c : kCases) {
        sfxpack::BuildOptions options;
        options.config = Config();
        options.folder = Package();
        options.stub = Stub();
        options.output = Out();
        bool called = false;
        options.afterWrite = [&](const fs::path& temp) {
            called = true;
            EXPECT_FALSE(fs::exists(Out())) << "the output took its name before the checks";
            Bytes file = ReadFile(temp);
            c.damage(&file);
            WriteFile(temp, file);
        };
        fs::create_directories(Out().parent_path());
        std::ostringstream log;
        try {
            sfxpack::BuildSetupFile(options, log);
            ADD_FAILURE() << c.needle << ": the build succeeded";
        } catch (const sfxpack::CPackError& e) {
            EXPECT_NE(std::string::npos, std::string(e.what()).find(c.needle)) << e.what();
        }
        EXPECT_TRUE(called);
        EXPECT_TRUE(fs::is_empty(Out().parent_path())) << c.needle << ": leftovers in the output folder";
    }
}

TEST_F(SfxpackBuild, InspectOfAFileWithoutArchiveSaysSoAndFails) {
    const RunResult inspect = Sfxpack({"inspect", Stub().string()});
    EXPECT_EQ(1, inspect.code);
    EXPECT_NE(std::string::npos, inspect.out.find("archive:            not found")) << inspect.out;
    EXPECT_NE(std::string::npos, inspect.out.find("configuration block: not found")) << inspect.out;
    // A 12-byte size resource is none, even when its first 8 bytes hold the size.
    testpe::Image longStub = testpe::Build(10, u"_KTV_VERIFY", Bytes(12, 0));
    testpe::Put32(longStub.bytes, longStub.data, static_cast<uint32_t>(longStub.bytes.size()));
    WriteFile(Stub(), longStub.bytes);
    const std::string shown = Sfxpack({"inspect", Stub().string()}).out;
    EXPECT_NE(std::string::npos, shown.find("recorded size:      no 8-byte _KTV_VERIFY resource")) << shown;
}

// verify: each class of damage gives its own exit code and a line naming it.
TEST_F(SfxpackBuild, VerifyNamesEachClassOfDamage) {
    ASSERT_EQ(0, Build().code);
    const Bytes good = ReadFile(Out());
    size_t archive = 0;
    ASSERT_TRUE(sfxpack::FindSevenZipHeader(good.data(), good.size(), sfxpack::kArchiveScanLimit, &archive));
    const size_t block = m_stubImage.bytes.size();

    // The same configuration length, so the block keeps its size, but not UTF-8.
    const Bytes configBytes = ReadFile(Config());
    const std::string config(configBytes.begin(), configBytes.end());
    const std::string latin1 = "[main]\nProductName=\xe9" + std::string(config.size() - 20, 'x');
    ASSERT_EQ(config.size(), latin1.size());
    const uint8_t iv[16] = {1};
    const Bytes badBlock = orelib::BuildConfigBlock(latin1, iv);
    ASSERT_EQ(archive - block, badBlock.size());
    const Bytes otherBlock = orelib::BuildConfigBlock(config, iv);

    const struct {
        const char* name;
        std::function<void(Bytes*)> damage;
        int exitCode;
        const char* needle;
        const char* code;  // of the first diagnostic in verify --json; empty: none
    } kCases[] = {
        {"whole", [](Bytes*) {}, sfxpack::kExitOk, ": ok", ""},
        {"truncated", [](Bytes* f) { f->pop_back(); }, sfxpack::kExitLayout, "size check fails", "size.mismatch"},
        // A byte of compressed data, past the first chunk's header: a changed
        // size field there can still decode to the same bytes, which the
        // single-threaded decoder (the stub's) accepts.
        {"archive data changed", [&](Bytes* f) { (*f)[archive + 32 + 8] ^= 0x55; }, sfxpack::kExitArchiveDamaged,
         "damaged", "archive.damaged"},
        {"archive headers changed", [&](Bytes* f) { (*f)[f->size() - 5] ^= 0x55; }, sfxpack::kExitArchiveDamaged,
         "damaged", "archive.cannot-open"},
        {"block not UTF-8", [&](Bytes* f) { std::copy(badBlock.begin(), badBlock.end(), f->begin() + block); },
         sfxpack::kExitConfiguration, "UTF-8", "layout.block-not-utf8"},
        // What no other check sees: the same text under another IV, as a
        // block or archive put behind the same stub would be.
        {"block re-encrypted", [&](Bytes* f) { std::copy(otherBlock.begin(), otherBlock.end(), f->begin() + block); },
         sfxpack::kExitArchiveDamaged, "payload check fails", "payload.changed"},
    };
    for (const auto& c : kCases) {
        Bytes file = good;
        c.damage(&file);
        WriteFile(Out(), file);
        const RunResult verify = Sfxpack({"verify", Out().string()});
        EXPECT_EQ(c.exitCode, verify.code) << c.name << "\n" << verify.out << verify.err;
        EXPECT_NE(std::string::npos, (verify.out + verify.err).find(c.needle)) << c.name << "\n" << verify.err;

        // --json: the same exit code, one document on stdout naming the class.
        const RunResult json = Sfxpack({"verify", "--json", Out().string()});
        EXPECT_EQ(c.exitCode, json.code) << c.name;
        EXPECT_EQ(0u, json.out.find("{\n  \"schema_version\": 1,")) << c.name << "\n" << json.out;
        EXPECT_EQ(json.out.size() - 3, json.out.find("\n}\n")) << c.name << "\n" << json.out;  // and nothing after
        const std::string first = *c.code ? std::string("\"diagnostics\": [\n    {\n      \"code\": \"") + c.code + "\""
                                          : std::string("\"diagnostics\": []");
        EXPECT_NE(std::string::npos, json.out.find(first)) << c.name << "\n" << json.out;
    }

    // A setup program the package lacks: refused by build, found by verify.
    WriteText(Config(), "[main]\nSetupFileName=absent.exe\n");
    ASSERT_EQ(sfxpack::kExitSetupMissing, Build().code);
    ASSERT_EQ(0, Build({"--dir", Package().string(), "--allow-missing-setup"}).code);
    const RunResult missing = Sfxpack({"verify", Out().string()});
    EXPECT_EQ(sfxpack::kExitSetupMissing, missing.code) << missing.err;
    EXPECT_NE(std::string::npos, missing.err.find("'absent.exe'")) << missing.err;
    EXPECT_EQ(0, Sfxpack({"verify", "--allow-missing-setup", Out().string()}).code);
}

// Encrypted file data: without the password verify says it could not check
// the CRCs (not an error); with it, it checks them; a wrong one is damage.
TEST_F(SfxpackBuild, VerifyTestsEncryptedDataOnlyWithThePassword) {
    WriteText(m_dir / "pw.txt", "S3cret pw\n");
    WriteText(m_dir / "wrong.txt", "guess\n");
    ASSERT_EQ(0, Build({"--dir", Package().string(), "--password-file", (m_dir / "pw.txt").string()}).code);

    const RunResult without = Sfxpack({"verify", Out().string()});
    EXPECT_EQ(0, without.code) << without.err;
    EXPECT_NE(std::string::npos, without.out.find("CRCs were not checked")) << without.out;
    const RunResult with = Sfxpack({"verify", "--password-file", (m_dir / "pw.txt").string(), Out().string()});
    EXPECT_EQ(0, with.code) << with.err;
    EXPECT_NE(std::string::npos, with.out.find("CRCs checked")) << with.out;
    const RunResult wrong = Sfxpack({"verify", "--password-file", (m_dir / "wrong.txt").string(), Out().string()});
    EXPECT_EQ(sfxpack::kExitArchiveDamaged, wrong.code) << wrong.err;
}

TEST_F(SfxpackBuild, PasswordComesFromExactlyOneSourceAsTyped) {
    const fs::path file = m_dir / "pw.txt";
    struct Case {
        std::optional<std::string> commandLine;
        std::optional<std::string> fileText;  // written to `file` and given
        std::optional<std::string> environment;
        const char* password;  // nullptr: refused with `error`
        const char* error;
        bool warns;
    } cases[] = {
        {std::nullopt, std::nullopt, std::nullopt, "", "", false},
        {std::string("on the line"), std::nullopt, std::nullopt, "on the line", "", true},
        {std::nullopt, std::string("first line\nsecond\n"), std::nullopt, "first line", "", false},
        {std::nullopt, std::string("dos line\r\nx"), std::nullopt, "dos line", "", false},
        {std::nullopt, std::string("no line end"), std::nullopt, "no line end", "", false},
        {std::nullopt, std::string(" spaces kept "), std::nullopt, " spaces kept ", "", false},
        {std::nullopt, std::nullopt, std::string("from env"), "from env", "", false},
        {std::nullopt, std::string("\nsecond"), std::nullopt, nullptr, "is empty", false},
        {std::string(""), std::nullopt, std::nullopt, nullptr, "is empty", false},
        {std::nullopt, std::nullopt, std::string(""), nullptr, "SFXPACK_PASSWORD is empty", false},
        {std::nullopt, std::string("a"), std::string("b"), nullptr, "more than once", false},
        {std::string("a"), std::nullopt, std::string("b"), nullptr, "more than once", false},
        {std::nullopt, std::string("caf\xE9"), std::nullopt, nullptr, "not UTF-8", false},
    };
    for (const Case& c : cases) {
        sfxpack::PasswordSources sources;
        sources.commandLine = c.commandLine;
        sources.environment = c.environment;
        if (c.fileText) {
            WriteText(file, *c.fileText);
            sources.file = file;
        }
        bool warned = false;
        std::string got, error;
        try {
            got = sfxpack::ResolvePassword(sources, &warned);
        } catch (const sfxpack::CPackError& e) {
            error = e.what();
        }
        const std::string label = c.fileText ? "file:" + *c.fileText : c.commandLine.value_or("-");
        if (c.password == nullptr) {
            EXPECT_NE(std::string::npos, error.find(c.error)) << label << " -> " << error;
        } else {
            EXPECT_EQ("", error) << label;
            EXPECT_EQ(c.password, got) << label;
            EXPECT_EQ(c.warns, warned) << label;
        }
    }
}

TEST_F(SfxpackBuild, PasswordBuildsRepeatButNeverShareAnIvAcrossContents) {
    // Two folders that differ only in the last bytes of their last file:
    // the encrypted streams start with the same plaintext (an uncompressed
    // LZMA2 chunk of a.bin), so their first cipher blocks are equal exactly
    // when the 7zAES IVs are.
    Bytes noise(4096);
    uint32_t x = 99;
    for (auto& b : noise) b = static_cast<uint8_t>((x = x * 1103515245 + 12345) >> 24);
    for (const char* name : {"one", "two"}) {
        fs::create_directories(m_dir / name);
        WriteFile(m_dir / name / "a.bin", noise);
        WriteFile(m_dir / name / "z.bin", noise);
    }
    Bytes changed = noise;
    changed.back() ^= 1;
    WriteFile(m_dir / "two" / "z.bin", changed);
    WriteText(m_dir / "pw.txt", "secret\n");

    const size_t archiveOffset = m_stubImage.bytes.size() + 18 + 16 + 64 + 15;
    auto firstCipherBlock = [&](const Bytes& archive, size_t at) {
        return Bytes(archive.begin() + at + 32, archive.begin() + at + 48);
    };
    auto build = [&](const char* name) {
        const RunResult run = Build({"--dir", (m_dir / name).string(), "--password-file", (m_dir / "pw.txt").string(),
                                     "--mtime", "1000000000", "--allow-missing-setup"});
        EXPECT_EQ(0, run.code) << run.err;
        return ReadFile(Out());
    };
    const Bytes one = build("one");
    EXPECT_EQ(one, build("one"));  // reproducible
    const Bytes two = build("two");
    EXPECT_NE(firstCipherBlock(one, archiveOffset), firstCipherBlock(two, archiveOffset));

    // The premise: with one IV seed for both, the first blocks are equal.
    sfxpack::ArchiveSettings settings;
    settings.password = "secret";
    settings.ivSeed = std::array<uint8_t, 16>{1, 2, 3};
    for (const char* name : {"one", "two"}) {
        sfxpack::WriteArchive(sfxpack::ScanPackageFolder(m_dir / name, 1000000000), m_dir / (std::string(name) + ".7z"),
                              settings);
    }
    EXPECT_EQ(firstCipherBlock(ReadFile(m_dir / "one.7z"), 0), firstCipherBlock(ReadFile(m_dir / "two.7z"), 0));
}

// Names outside ASCII, in the package and in the output's name, and package
// paths longer than Windows' MAX_PATH (260) come through unchanged: the
// packager works in UTF-8 and hands Windows wide \\?\ paths.
TEST_F(SfxpackBuild, NonAsciiNamesAndPathsBeyondMaxPathPackUnchanged) {
    const std::string level = "Ordner-\xC3\xA4\xE2\x82\xAC-" + std::string(90, 'd');  // "Ordner-ä€-ddd..."
    const std::string file =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE6\x97\xA5\xE6\x9C\xAC.txt";  // "Grüße 日本.txt"
    fs::path dir = sfxpack::LongPathForm(Package());
    std::string stored;
    for (int i = 0; i < 3; ++i) {
        dir /= fs::u8path(level);
        ASSERT_TRUE(fs::create_directory(dir));
        stored += level + "/";
    }
    stored += file;
    WriteText(dir / fs::u8path(file), "deep\n");
    ASSERT_GT(Package().u8string().size() + stored.size(), 260u);

    const fs::path archive = m_dir / "deep.7z";
    sfxpack::WriteArchive(sfxpack::ScanPackageFolder(Package(), std::nullopt), archive, {});
    const std::vector<std::string> paths = sfxpack::CArchiveReader(archive, 0).Info().paths;
    EXPECT_NE(paths.end(), std::find(paths.begin(), paths.end(), stored));

    const fs::path out = Out().parent_path() / fs::u8path("Setup-\xC3\xBC.exe");  // "Setup-ü.exe"
    fs::create_directories(out.parent_path());
    const RunResult run = Sfxpack({"build", "--config", Config().u8string(), "--stub", Stub().u8string(), "--dir",
                                   Package().u8string(), "-o", out.u8string()});
    ASSERT_EQ(0, run.code) << run.err;
    EXPECT_TRUE(fs::exists(out));
    EXPECT_EQ(0, Sfxpack({"verify", out.u8string()}).code);
}

// Every path on the command line may itself lie beyond MAX_PATH: the
// package folder, the configuration, the stub and the output, and what
// inspect and verify read.
TEST_F(SfxpackBuild, CommandLinePathsBeyondMaxPathWork) {
#ifdef _WIN32
    DWORD enabled = 0, size = sizeof enabled;
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") == nullptr &&
        (RegGetValueW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\FileSystem", L"LongPathsEnabled",
                      RRF_RT_REG_DWORD, nullptr, &enabled, &size) != ERROR_SUCCESS ||
         enabled == 0)) {
        GTEST_SKIP() << "Windows opens plain paths beyond MAX_PATH only with the LongPathsEnabled policy";
    }
#endif
    fs::path deep = m_dir;
    for (int i = 0; i < 3; ++i) deep /= fs::u8path("Tief-\xC3\xA4-" + std::string(90, 'd'));  // "Tief-ä-ddd..."
    ASSERT_GT(deep.u8string().size(), 260u);
    // The test's own files go through the long form, which works everywhere.
    const fs::path deepLong = sfxpack::LongPathForm(deep);
    fs::create_directories(deepLong / "package" / "sub");
    fs::create_directories(deepLong / "out");
    fs::copy_file(Config(), deepLong / "config.ini");
    fs::copy_file(Stub(), deepLong / "stub.exe");
    for (const fs::path& name : {fs::path("probe.exe"), fs::path("sub") / "data.txt"}) {
        fs::copy_file(Package() / name, deepLong / "package" / name);
    }

    const CEnv epoch("SOURCE_DATE_EPOCH", "1000000000");  // copies have new times
    const std::string out = (deep / "out" / "setup.exe").u8string();
    const RunResult build =
        Sfxpack({"build", "--config", (deep / "config.ini").u8string(), "--stub", (deep / "stub.exe").u8string(),
                 "--dir", (deep / "package").u8string(), "-o", out});
    ASSERT_EQ(0, build.code) << build.err;
    ASSERT_EQ(0, Build().code);
    EXPECT_EQ(ReadFile(Out()), ReadFile(deepLong / "out" / "setup.exe")) << "the same inputs elsewhere differ";
    EXPECT_EQ(0, Sfxpack({"verify", out}).code);
    EXPECT_EQ(0, Sfxpack({"inspect", out}).code);
}

#ifdef _WIN32
// Symbolic links in the package folder: one to a file inside is packed as
// that file; one leading outside, to a folder or to nothing is refused.
TEST_F(SfxpackBuild, LinksLeavingThePackageAreRefused) {
    if (GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr) {
        GTEST_SKIP() << "Wine follows Unix symbolic links and reports no reparse points";
    }
    const auto link = [&](const char* name, const fs::path& target, bool folder) {
        const DWORD flags =
            (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE
        return CreateSymbolicLinkW((Package() / name).c_str(), target.c_str(), flags) != 0;
    };
    if (!link("inside.txt", Package() / "sub" / "data.txt", false)) {
        GTEST_SKIP() << "creating symbolic links needs Developer Mode or the privilege";
    }
    ASSERT_EQ(0, Build().code);
    const struct {
        const char* name;
        fs::path target;
        bool folder;
        const char* refusal;
    } cases[] = {
        {"outside.txt", Config(), false, "outside the folder"},
        {"nothing.txt", m_dir / "nowhere.txt", false, "points to nothing"},
        {"folder", Package() / "sub", true, "other than a file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(link(c.name, c.target, c.folder));
        fs::remove(Out());
        ExpectFailure(Build(), c.refusal);
        RemoveDirectoryW((Package() / c.name).c_str());
        DeleteFileW((Package() / c.name).c_str());
    }
}
#endif
