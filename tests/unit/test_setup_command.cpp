#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialog/SetupCommand.h"
#include "orelib/CommandLine.h"
#include "orelib/Path.h"
#include "Layers.h"

namespace {

const std::wstring kFolder = L"D:\\Work Files\\inst";
const std::wstring kSystemDir = L"C:\\Windows\\system32";

orelib::CIniText Config(const std::wstring& text) {
    orelib::CIniText config;
    config.Parse(text);
    return config;
}

}  // namespace

TEST(SetupCommand, InstallerPackageUnderProductStartsMsiexec) {
    std::vector<std::wstring> asked;
    const std::wstring path = ResolveSetupPath(kFolder, L"pkg.msi", [&](const std::wstring& p) {
        asked.push_back(p);
        return false;
    });
    EXPECT_EQ(path, L"D:\\Work Files\\inst\\product\\pkg.msi");
    // Only the first place is checked.
    EXPECT_EQ(asked, std::vector<std::wstring>{L"D:\\Work Files\\inst\\pkg.msi"});

    const SetupCommand command = BuildSetupCommand(path, kSystemDir, L"/qb", L"");
    EXPECT_EQ(command.file, L"C:\\Windows\\system32\\msiexec.exe");
    EXPECT_EQ(command.parameters, L"/i \"D:\\Work Files\\inst\\product\\pkg.msi\" /qb");
    EXPECT_EQ(GetSetupLaunchFlags(command.file), 1u);  // msiexec itself, by its full path
}

TEST(SetupCommand, ExecutableGetsSetupParamsThenOwnArguments) {
    const std::wstring path = ResolveSetupPath(kFolder, L"setup.exe", [](const std::wstring&) { return true; });
    EXPECT_EQ(path, L"D:\\Work Files\\inst\\setup.exe");

    const SetupCommand command = BuildSetupCommand(path, kSystemDir, L"/qb", L"/silent");
    EXPECT_EQ(command.file, L"D:\\Work Files\\inst\\setup.exe");
    EXPECT_EQ(command.parameters, L"/qb /silent");

    // The self-extractor's own switches go on as typed, each part once.
    EXPECT_EQ(BuildSetupCommand(path, kSystemDir, L"", L"/q").parameters, L"/q");
    EXPECT_EQ(BuildSetupCommand(path, kSystemDir, L"", L"/l de-DE  /q \"a b\"").parameters, L"/l de-DE  /q \"a b\"");
    EXPECT_EQ(BuildSetupCommand(path, kSystemDir, L"", L"").parameters, L"");
    EXPECT_EQ(BuildSetupCommand(path, kSystemDir, L"/a \"x y\"", L"").parameters, L"/a \"x y\"");
}

TEST(SetupCommand, MsiexecArgumentsInOrder) {
    const SetupCommand command = BuildSetupCommand(L"C:\\t\\Setup.MSI", L"C:\\Windows\\system32\\", L"/qn X=1", L"/q");
    EXPECT_EQ(command.file, L"C:\\Windows\\system32\\msiexec.exe");
    // No blanks in the path: no quotes.
    EXPECT_EQ(command.parameters, L"/i C:\\t\\Setup.MSI /qn X=1 /q");

    // To msiexec "/l" names a log file: the self-extractor's own switches stay
    // behind, while an executable gets the arguments as typed.
    EXPECT_EQ(BuildSetupCommand(L"C:\\t\\Setup.MSI", L"C:\\W", L"", L"/l de-DE /q").parameters,
              L"/i C:\\t\\Setup.MSI /q");
    EXPECT_EQ(BuildSetupCommand(L"C:\\t\\Setup.MSI", L"C:\\W", L"", L"/l de-DE").parameters, L"/i C:\\t\\Setup.MSI");
    EXPECT_EQ(BuildSetupCommand(L"C:\\t\\setup.exe", L"C:\\W", L"", L"/l de-DE /q").parameters, L"/l de-DE /q");
}

TEST(SetupCommand, ExtensionRules) {
    EXPECT_TRUE(IsInstallerPackage(L"Setup.MSI"));
    EXPECT_TRUE(IsInstallerPackage(L"x.MS_"));
    EXPECT_TRUE(IsInstallerPackage(L"product\\pkg.msi"));
    EXPECT_FALSE(IsInstallerPackage(L"setup.exe"));
    EXPECT_FALSE(IsInstallerPackage(L"pkg.msix"));
    EXPECT_FALSE(IsInstallerPackage(L"msi"));
    EXPECT_FALSE(IsInstallerPackage(L"C:\\pkg.msi\\setup"));  // the dot is in a folder name

    EXPECT_EQ(GetSetupLaunchFlags(L"C:\\t\\setup.EXE"), 1u);
    EXPECT_EQ(GetSetupLaunchFlags(L"C:\\t\\setup.exe"), 1u);
    EXPECT_EQ(GetSetupLaunchFlags(L"C:\\t\\install.bat"), 2u);
    EXPECT_EQ(GetSetupLaunchFlags(L"C:\\t\\install"), 2u);
    EXPECT_EQ(GetSetupLaunchFlags(L"C:\\t.exe\\install"), 2u);
    EXPECT_EQ(GetSetupLaunchFlags(L"C:\\t\\setup.exe.bak"), 2u);

    EXPECT_EQ(GetExtension(L"a.b.Msi"), L".Msi");
    EXPECT_EQ(GetExtension(L"setup."), L".");
    EXPECT_EQ(GetExtension(L"setup"), L"");

    // A command script runs in the system's cmd.exe without AutoRun, the
    // script quoted, its arguments as typed, the whole kept together by /s.
    const SetupCommand batch = BuildSetupCommand(L"C:\\t t\\install.CMD", kSystemDir, L"/a \"b c\"", L"/q");
    EXPECT_EQ(batch.file, orelib::CombinePath(kSystemDir, L"cmd.exe"));
    EXPECT_EQ(batch.parameters, L"/d /s /c \"\"C:\\t t\\install.CMD\" /a \"b c\" /q\"");
    // Other file types are started as they are, through the shell.
    const SetupCommand script = BuildSetupCommand(L"C:\\t\\install.vbs", kSystemDir, L"", L"/q");
    EXPECT_EQ(script.file, L"C:\\t\\install.vbs");
    EXPECT_EQ(script.parameters, L"/q");
}

TEST(SetupCommand, SettingsDefaults) {
    const SetupSettings settings = ReadSetupSettings(Config(L"[main]\nTitle=x\n"), L"en-US");
    EXPECT_EQ(settings.showCommand, 1);
    EXPECT_EQ(settings.fileName, L"setup.exe");
    EXPECT_EQ(settings.fileName64, L"");
    EXPECT_EQ(settings.params, L"");
}

TEST(SetupCommand, LanguageSectionOverridesMain) {
    const orelib::CIniText config = Config(
        L"[main]\nSetupShow=0\nSetupFileName=a.exe\nSetupFileName64=a64.exe\nSetupParams=/main\n"
        L"[LANG_de-DE]\nSetupParams=/de\nSetupShow=\n"
        L"[LANG_fr-FR]\nSetupParams=\nSetupShow=3\nSetupFileName=fr.msi\n");

    const SetupSettings english = ReadSetupSettings(config, L"en-US");
    EXPECT_EQ(english.showCommand, 0);
    EXPECT_EQ(english.fileName, L"a.exe");
    EXPECT_EQ(english.fileName64, L"a64.exe");
    EXPECT_EQ(english.params, L"/main");

    // Replaces "main" completely; an empty SetupShow keeps the "main" value.
    const SetupSettings german = ReadSetupSettings(config, L"de-DE");
    EXPECT_EQ(german.params, L"/de");
    EXPECT_EQ(german.showCommand, 0);
    EXPECT_EQ(german.fileName, L"a.exe");

    // An empty string value replaces too; section names ignore case.
    const SetupSettings french = ReadSetupSettings(config, L"FR-fr");
    EXPECT_EQ(french.params, L"");
    EXPECT_EQ(french.showCommand, 3);
    EXPECT_EQ(french.fileName, L"fr.msi");
    EXPECT_EQ(french.fileName64, L"a64.exe");
}

TEST(SetupCommand, SixtyFourBitFileOnlyWhenSet) {
    SetupSettings settings;
    settings.fileName = L"setup.exe";
    settings.fileName64 = L"setup64.exe";
    EXPECT_EQ(ChooseSetupFileName(settings, true), L"setup64.exe");
    EXPECT_EQ(ChooseSetupFileName(settings, false), L"setup.exe");
    settings.fileName64.clear();
    EXPECT_EQ(ChooseSetupFileName(settings, true), L"setup.exe");
}

TEST(QuoteArgument, Cases) {
    using orelib::QuoteArgument;
    EXPECT_EQ(QuoteArgument(L""), L"\"\"");
    EXPECT_EQ(QuoteArgument(L"/i"), L"/i");
    EXPECT_EQ(QuoteArgument(L"C:\\t\\"), L"C:\\t\\");  // no blank: the backslash stays single
    EXPECT_EQ(QuoteArgument(L"a b"), L"\"a b\"");
    EXPECT_EQ(QuoteArgument(L"C:\\a b\\"), L"\"C:\\a b\\\\\"");
    EXPECT_EQ(QuoteArgument(L"say \"hi\""), L"\"say \\\"hi\\\"\"");
    EXPECT_EQ(QuoteArgument(L"x\"y"), L"x\\\"y");
    EXPECT_EQ(QuoteArgument(L"a\tb"), L"\"a\tb\"");
    EXPECT_EQ(QuoteArgument(L"a\rb"), L"\"a\rb\"");
    EXPECT_EQ(QuoteArgument(L"a\nb"), L"\"a\nb\"");
}

TEST(QuoteArgument, AppendRules) {
    std::wstring line;
    orelib::AppendArgument(line, L"/i");
    EXPECT_EQ(line, L"/i");
    orelib::AppendArgument(line, L"");
    EXPECT_EQ(line, L"/i \"\"");
    orelib::AppendRawArguments(line, L"A=\"b c\"");
    EXPECT_EQ(line, L"/i \"\" A=\"b c\"");
    std::wstring raw;
    orelib::AppendRawArguments(raw, L"  /q");
    EXPECT_EQ(raw, L"  /q");
}
