// Which setup-program names a package may give, and which start through the shell.
#include <gtest/gtest.h>

#include <string>

#include "orelib/SetupFileName.h"

using namespace orelib;

TEST(SetupFileName, OnlyNamesInsideTheFolderAreSafe) {
    const struct {
        const wchar_t* name;
        bool safe;
    } cases[] = {
        {L"setup.exe", true},          {L"product\\pkg.msi", true},
        {L"a..b.exe", true},           {L"sub/setup.exe", true},
        {L".hidden\\s.exe", true},     {L"", false},
        {L"..\\x.exe", false},         {L"sub\\..\\..\\x.exe", false},
        {L"../x.exe", false},          {L"sub\\...\\x.exe", false},
        {L".\\x.exe", false},          {L"..", false},
        {L"\\x.exe", false},           {L"/x.exe", false},
        {L"\\\\srv\\s\\x.exe", false}, {L"C:\\x.exe", false},
        {L"C:x.exe", false},           {L"setup.exe:evil", false},
        {L"\\\\?\\C:\\x.exe", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsSafeSetupFileName(c.name), c.safe) << c.name;
}

// The kind decides how the stub starts the file, and whether an elevated run
// starts it at all; it is read off the name Windows will really open.
TEST(SetupFileName, KindIsReadOffTheNameWindowsOpens) {
    using orelib::CSetupKind;
    const struct {
        const wchar_t* name;
        CSetupKind kind;
        const wchar_t* opened;
    } cases[] = {
        {L"setup.exe", CSetupKind::Program, L"setup.exe"},
        {L"SETUP.EXE", CSetupKind::Program, L"SETUP.EXE"},
        {L"setup.exe.", CSetupKind::Program, L"setup.exe"},
        {L"setup.exe . ", CSetupKind::Program, L"setup.exe"},
        {L"p\\pkg.MSI", CSetupKind::InstallerPackage, L"p\\pkg.MSI"},
        {L"p. \\x.ms_", CSetupKind::InstallerPackage, L"p\\x.ms_"},
        {L"install.bat", CSetupKind::CommandScript, L"install.bat"},
        {L"install.CMD..", CSetupKind::CommandScript, L"install.CMD"},
        {L"setup.vbs", CSetupKind::Other, L"setup.vbs"},
        {L"setup.ps1", CSetupKind::Other, L"setup.ps1"},
        {L"readme.txt", CSetupKind::Other, L"readme.txt"},
        {L"setup", CSetupKind::Other, L"setup"},
        {L"v1.0\\setup", CSetupKind::Other, L"v1.0\\setup"},
        {L"setup.exe.lnk", CSetupKind::Other, L"setup.exe.lnk"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(orelib::ClassifySetupFile(c.name), c.kind) << testing::PrintToString(std::wstring(c.name));
        EXPECT_EQ(orelib::NameAsOpened(c.name), c.opened) << testing::PrintToString(std::wstring(c.name));
        EXPECT_EQ(IsShellStartedSetupFile(c.name), c.kind == CSetupKind::Other);
    }
}
