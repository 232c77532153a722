// Signing inside `sfxpack build`: which --sign-... options go together, the
// signing tool's command line (no password on it), the quoting of {in} and
// {out} for the shell, and how a signed file and osslsigncode's report are
// judged. The signing itself runs end to end in test_sfxpack_signing.sh.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "packager/cli/Cli.h"
#include "packager/platform/Platform.h"
#include "packager/sign/SigningRules.h"

namespace {

using Args = std::vector<std::string>;

int RunBuild(const Args& extra, std::string* err) {
    Args args{"build", "--config", "no-such.ini", "--dir", "no-such-folder", "-o", "out.exe"};
    args.insert(args.end(), extra.begin(), extra.end());
    std::ostringstream out, errors;
    const int code = sfxpack::RunCommandLine(args, out, errors);
    *err = errors.str();
    return code;
}

TEST(SfxpackSigning, OptionsThatDoNotGoTogetherAreUsageErrors) {
    const struct {
        Args args;
        const char* needle;  // nullptr: accepted (the build then fails on the missing inputs)
    } cases[] = {
        {{"--sign-pkcs12", "a.p12"}, nullptr},
        {{"--sign-pkcs12", "a.p12", "--sign-password-file", "pw", "--sign-timestamp", "http://ts", "--sign-description",
          "Acme", "--sign-url", "https://acme.example"},
         nullptr},
        {{"--sign-cert", "c.pem", "--sign-key", "k.pem"}, nullptr},
        {{"--sign-command", "sign {in} {out}"}, nullptr},
        {{"--sign-pkcs12", "a.p12", "--sign-cert", "c.pem", "--sign-key", "k.pem"}, "not both"},
        {{"--sign-cert", "c.pem"}, "go together"},
        {{"--sign-key", "k.pem"}, "go together"},
        {{"--sign-password-file", "pw"}, "need --sign-pkcs12"},
        {{"--sign-timestamp", "http://ts"}, "need --sign-pkcs12"},
        {{"--sign-description", "Acme"}, "need --sign-pkcs12"},
        {{"--sign-url", "https://acme.example"}, "need --sign-pkcs12"},
        {{"--sign-command", "sign {in} {out}", "--sign-pkcs12", "a.p12"}, "takes no other"},
        {{"--sign-command", "sign {in} {out}", "--sign-timestamp", "http://ts"}, "takes no other"},
        {{"--sign-command", "sign {in} {in}.signed"}, "{out}"},
        {{"--sign-command", "sign > {out}"}, "{in}"},
        {{"--sign-pkcs12", ""}, "needs a value"},
        {{"--sign-command"}, "needs a value"},
    };
    for (const auto& c : cases) {
        std::string err;
        const int code = RunBuild(c.args, &err);
        const std::string given = ::testing::PrintToString(c.args);
        if (!c.needle) {
            EXPECT_EQ(1, code) << given << ": " << err;
            continue;
        }
        EXPECT_EQ(2, code) << given;
        EXPECT_NE(std::string::npos, err.find(c.needle)) << given << ": " << err;
    }
}

TEST(SfxpackSigning, OsslsigncodeGetsThePasswordAsAFileNeverOnItsCommandLine) {
    sfxpack::SigningOptions options;
    options.pkcs12 = "vendor.p12";
    options.passwordFile = std::filesystem::path("secret.txt");
    options.signingTime = 1700000000;
    const Args args = sfxpack::OsslsigncodeSignArgs(options, "in.exe", "out.exe");
    ASSERT_GE(args.size(), 2u);
    EXPECT_EQ((Args{"osslsigncode", "sign"}), Args(args.begin(), args.begin() + 2));
    const auto at = [&](const std::string& flag) {
        const auto it = std::find(args.begin(), args.end(), flag);
        return it == args.end() || it + 1 == args.end() ? std::string("(absent)") : *(it + 1);
    };
    EXPECT_EQ("vendor.p12", at("-pkcs12"));
    EXPECT_EQ("secret.txt", at("-readpass"));
    EXPECT_EQ("sha256", at("-h"));
    EXPECT_EQ("in.exe", at("-in"));
    EXPECT_EQ("out.exe", at("-out"));
    EXPECT_EQ(args.end(), std::find(args.begin(), args.end(), "-pass"));
    // Without a timestamp server the build's time is the signing time; with one, the server's.
    EXPECT_EQ("1700000000", at("-time"));
    options.timestampUrls = {"http://ts.example"};
    const Args stamped = sfxpack::OsslsigncodeSignArgs(options, "in.exe", "out.exe");
    EXPECT_EQ(stamped.end(), std::find(stamped.begin(), stamped.end(), "-time"));
    EXPECT_EQ(
        (Args{"osslsigncode", "add", "-ts", "http://ts.example", "-h", "sha256", "-in", "s.exe", "-out", "t.exe"}),
        sfxpack::OsslsigncodeTimestampArgs("http://ts.example", "s.exe", "t.exe"));
}

#ifndef _WIN32
// The shell gets exactly the two paths back, whatever they hold.
TEST(SfxpackSigning, SignCommandPathsReachTheShellUnchanged) {
    for (const std::string path : {"plain.exe", "with blank/it's $HOME `x` \"q\" \\ *.exe", "-dash;&|>"}) {
        const std::string command = sfxpack::ExpandSignCommand("printf '%s\\n' {in} {out}", path, path + ".signed");
        const sfxpack::ProcessResult run = sfxpack::RunShellCommand(command);
        ASSERT_TRUE(run.started) << run.startError;
        EXPECT_EQ(0, run.exitCode);
        EXPECT_EQ(path + "\n" + path + ".signed\n", run.output) << command;
    }
}
#else
TEST(SfxpackSigning, SignCommandPathsAreQuotedForCmd) {
    EXPECT_EQ("sign \"C:\\a b\\x.exe\" \"C:\\a b\\x.exe.signed\"",
              sfxpack::ExpandSignCommand("sign {in} {out}", "C:\\a b\\x.exe", "C:\\a b\\x.exe.signed"));
}
#endif

TEST(SfxpackSigning, VerifyReportTrustsOnlyMatchingDigests) {
    const std::string same = "Current message digest    : CE7C01 \nCalculated message digest : CE7C01 \n";
    const struct {
        std::string output;
        bool matches;
        const char* chainError;
    } cases[] = {
        {same + "\tError: self-signed certificate\nSignature verification: failed\n", true, "self-signed certificate"},
        {"Current message digest    : CE7C01 \nCalculated message digest : 43C3D9     MISMATCH!!!\n", false, ""},
        {same + "Current PE checksum   : 0007A5F1\nCalculated PE checksum: 0007A5F2     MISMATCH!!!\n", false, ""},
        {"Calculated message digest : CE7C01\n", false, ""},  // nothing signed to compare with
        // Digests that differ with no MISMATCH line, in any of the signatures:
        // a failed verify is trusted only on the digests themselves.
        {"Current message digest    : 43C3D9\nCalculated message digest : CE7C01\n" + same, false, ""},
        {"No signature found\nFailed\n", false, ""},
        {same + same + "\tError: unable to get local issuer certificate\n", true,
         "unable to get local issuer certificate"},
    };
    for (const auto& c : cases) {
        const sfxpack::VerifyReport report = sfxpack::ReadVerifyReport(c.output);
        EXPECT_EQ(c.matches, report.digestMatches) << c.output;
        EXPECT_EQ(c.chainError, report.chainError) << c.output;
    }
}

// A signer may change the checksum and the certificate entry, pad with
// zeros to a multiple of 8 and append the table; nothing else.
TEST(SfxpackSigning, SignedFileMayOnlyAddASignature) {
    const std::string original = std::string(100, 'a') + "xyz";  // 103 bytes
    sfxpack::SignedLayout layout;
    layout.checksumOffset = 10;
    layout.certificateEntryOffset = 20;
    layout.certificateOffset = 104;
    layout.certificateSize = 16;
    auto signedOf = [&](std::string body) { return body + std::string(1, '\0') + std::string(16, 'T'); };
    std::string fieldsChanged = original;
    fieldsChanged.replace(10, 4, "CSUM");
    fieldsChanged.replace(20, 8, "CERTENTR");
    std::string bodyChanged = fieldsChanged;
    bodyChanged[50] = 'b';
    std::string nearField = fieldsChanged;
    nearField[14] = 'c';
    const struct {
        std::string signedFile;
        uint32_t tableOffset;
        const char* needle;  // nullptr: accepted
    } cases[] = {
        {signedOf(fieldsChanged), 104, nullptr},
        {signedOf(bodyChanged), 104, "byte 50 of the setup file"},
        {signedOf(nearField), 104, "byte 14 of the setup file"},
        {fieldsChanged + "P" + std::string(16, 'T'), 104, "byte 103 of the padding"},
        {signedOf(fieldsChanged) + "x", 104, "not at the end"},
        {fieldsChanged.substr(0, 96) + std::string(16, 'T'), 96, "not right after"},
        {fieldsChanged + std::string(9, '\0') + std::string(16, 'T'), 112, "not right after"},
        // Padding is fewer than 8 bytes: catches an off-by-one that lets 8 through.
        {fieldsChanged + std::string(8, '\0') + std::string(16, 'T'), 111, "not right after"},
    };
    for (const auto& c : cases) {
        layout.certificateOffset = c.tableOffset;
        std::istringstream unsignedIn(original), signedIn(c.signedFile);
        const std::string problem =
            sfxpack::CompareSignedWithUnsigned(unsignedIn, original.size(), signedIn, c.signedFile.size(), layout)
                .value_or("");
        if (!c.needle) {
            EXPECT_EQ("", problem);
        } else {
            EXPECT_NE(std::string::npos, problem.find(c.needle)) << c.needle << ": " << problem;
        }
    }
}

}  // namespace
