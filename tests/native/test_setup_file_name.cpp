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

TEST(SetupFileName, OnlyExecutablesAndInstallerPackagesAvoidTheShell) {
    const struct {
        const wchar_t* name;
        bool shell;
    } cases[] = {
        {L"setup.exe", false}, {L"SETUP.EXE", false},  {L"p\\pkg.MSI", false},
        {L"x.ms_", false},     {L"install.bat", true}, {L"readme.txt", true},
        {L"setup", true},      {L"v1.0\\setup", true}, {L"setup.exe.lnk", true},
    };
    for (const auto& c : cases) EXPECT_EQ(IsShellStartedSetupFile(c.name), c.shell) << c.name;
}
