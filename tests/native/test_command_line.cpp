// Argument quoting, the own-arguments rule and the launch decisions.
#include <gtest/gtest.h>

#include "orelib/CommandLine.h"
#include "orelib/LaunchPlan.h"

using namespace orelib;

TEST(QuoteArgument, LeavesPlainTextAlone) {
    EXPECT_EQ(QuoteArgument(L"/S"), L"/S");
    EXPECT_EQ(QuoteArgument(L"C:\\t\\setup.exe"), L"C:\\t\\setup.exe");
    EXPECT_EQ(QuoteArgument(L"trailing\\"), L"trailing\\");
}

TEST(QuoteArgument, EmptyBlanksAndQuotes) {
    EXPECT_EQ(QuoteArgument(L""), L"\"\"");
    EXPECT_EQ(QuoteArgument(L"D:\\Work Files\\inst\\product\\pkg.msi"), L"\"D:\\Work Files\\inst\\product\\pkg.msi\"");
    EXPECT_EQ(QuoteArgument(L"a\tb"), L"\"a\tb\"");
    EXPECT_EQ(QuoteArgument(L"a\nb"), L"\"a\nb\"");
    EXPECT_EQ(QuoteArgument(L"say\"hi"), L"say\\\"hi");
    EXPECT_EQ(QuoteArgument(L"say \"hi\""), L"\"say \\\"hi\\\"\"");
}

TEST(QuoteArgument, BackslashesBeforeAQuoteOrTheClosingQuote) {
    EXPECT_EQ(QuoteArgument(L"a b\\"), L"\"a b\\\\\"");
    EXPECT_EQ(QuoteArgument(L"a b\\\\"), L"\"a b\\\\\\\\\"");
    EXPECT_EQ(QuoteArgument(L"x\\\"y"), L"x\\\\\\\"y");
    // Backslashes elsewhere stay as they are.
    EXPECT_EQ(QuoteArgument(L"\\\\srv\\a b"), L"\"\\\\srv\\a b\"");
}

TEST(AppendArguments, SeparatedByOneBlank) {
    std::wstring line;
    AppendArgument(line, L"/i");
    AppendArgument(line, L"D:\\Work Files\\pkg.msi");
    AppendRawArguments(line, L"/qb");
    AppendRawArguments(line, L"/silent \"x\"");
    EXPECT_EQ(line, L"/i \"D:\\Work Files\\pkg.msi\" /qb /silent \"x\"");
    std::wstring raw;
    AppendRawArguments(raw, L"");
    EXPECT_EQ(raw, L"");
}

TEST(SkipProgramName, QuotedAndUnquotedNames) {
    EXPECT_STREQ(SkipProgramName(L"\"C:\\dl dir\\setup.exe\" /x"), L"/x");
    EXPECT_STREQ(SkipProgramName(L"setup.exe /x"), L"/x");
    EXPECT_STREQ(SkipProgramName(L"\"C:\\dl dir\\setup.exe\""), L"");
    EXPECT_STREQ(SkipProgramName(L"setup.exe"), L"");
    EXPECT_STREQ(SkipProgramName(L""), L"");
    EXPECT_STREQ(SkipProgramName(nullptr), L"");
    // Exactly as typed: only one separator is skipped.
    EXPECT_STREQ(SkipProgramName(L"setup.exe  /q"), L" /q");
    EXPECT_STREQ(SkipProgramName(L"\"a\"  /q"), L" /q");
    // An unclosed quote leaves nothing.
    EXPECT_STREQ(SkipProgramName(L"\"C:\\setup.exe /x"), L"");
}

// The runtime ends a quoted program name at its quote whatever follows, and
// an unquoted one at a tab too: what follows is the own arguments, so that
// the switches the stub read are the ones it removes from what it passes on.
TEST(SkipProgramName, EndsWhereTheRuntimeEndsArgvZero) {
    struct Case {
        const wchar_t* line;
        const wchar_t* rest;
        const wchar_t* passedOn;  // the rest without the own switches
    };
    const Case cases[] = {
        {L"\"C:\\dl\\setup.exe\"/l de-DE /q", L"/l de-DE /q", L"/q"},
        {L"\"C:\\dl\\setup.exe\"/x", L"/x", L""},
        {L"\"setup.exe\"\t/l de-DE", L"/l de-DE", L""},
        {L"setup.exe\t/l de-DE /q", L"/l de-DE /q", L"/q"},
        {L"\"a\"b /q", L"b /q", L"b /q"},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(SkipProgramName(c.line), c.rest) << testing::PrintToString(std::wstring(c.line));
        EXPECT_EQ(RemoveOwnSwitches(SkipProgramName(c.line)), c.passedOn)
            << testing::PrintToString(std::wstring(c.line));
    }
}

TEST(SkipProgramName, PointsIntoTheLine) {
    const wchar_t* line = L"setup.exe /x";
    EXPECT_EQ(SkipProgramName(line), line + 10);
    const wchar_t* alone = L"setup.exe";
    EXPECT_EQ(SkipProgramName(alone), alone + 9);
}

TEST(LaunchPlan, MethodByFlagsAndVersion) {
    const uint32_t xp = 0x50001, vista = 0x60000, win10 = 0xA0000;
    EXPECT_FALSE(MakeLaunchPlan(L"C:\\s.exe", nullptr, nullptr, 0, vista).useCreateProcess);
    EXPECT_FALSE(MakeLaunchPlan(L"C:\\s.exe", nullptr, nullptr, 0, win10).useCreateProcess);
    EXPECT_TRUE(MakeLaunchPlan(L"C:\\s.exe", nullptr, nullptr, 0, xp).useCreateProcess);
    EXPECT_FALSE(MakeLaunchPlan(L"C:\\s.exe", nullptr, nullptr, 2, xp).useCreateProcess);
    EXPECT_TRUE(MakeLaunchPlan(L"C:\\s.exe", nullptr, nullptr, 1, win10).useCreateProcess);
    EXPECT_TRUE(MakeLaunchPlan(L"C:\\s.exe", nullptr, nullptr, 1 | 4, win10).useCreateProcess);
}

TEST(LaunchPlan, Verbs) {
    EXPECT_STREQ(MakeLaunchPlan(L"C:\\s.exe", nullptr, nullptr, 0, 0x60000).verb, L"open");
    EXPECT_STREQ(MakeLaunchPlan(L"C:\\s.exe", nullptr, nullptr, 4, 0x60000).verb, L"runas");
    EXPECT_STREQ(MakeLaunchPlan(L"C:\\s.exe", nullptr, nullptr, 2 | 4, 0x50001).verb, L"runas");
    EXPECT_EQ(MakeLaunchPlan(L"C:\\s.exe", nullptr, nullptr, 1 | 4, 0x60000).verb, nullptr);
}

TEST(LaunchPlan, WorkingDirectoryRule) {
    EXPECT_EQ(MakeLaunchPlan(L"C:\\t\\setup.exe", nullptr, nullptr, 0, 0x60000).workingDirectory, L"C:\\t\\");
    EXPECT_EQ(MakeLaunchPlan(L"\\\\srv\\s\\a.exe", nullptr, nullptr, 1, 0x60000).workingDirectory, L"\\\\srv\\s\\");
    EXPECT_EQ(MakeLaunchPlan(L"setup.exe", nullptr, nullptr, 0, 0x60000).workingDirectory, L"");
    EXPECT_EQ(MakeLaunchPlan(L"sub\\setup.exe", nullptr, nullptr, 1, 0x60000).workingDirectory, L"");
    EXPECT_EQ(MakeLaunchPlan(L"C:\\t\\setup.exe", nullptr, L"D:\\w", 0, 0x60000).workingDirectory, L"D:\\w");
}

TEST(LaunchPlan, CreateProcessCommandLine) {
    EXPECT_EQ(MakeLaunchPlan(L"C:\\t\\setup.exe", L"/S", nullptr, 1, 0x60000).commandLine, L"\"C:\\t\\setup.exe\" /S");
    EXPECT_EQ(MakeLaunchPlan(L"C:\\t\\setup.exe", nullptr, nullptr, 1, 0x60000).commandLine, L"\"C:\\t\\setup.exe\"");
}

TEST(CommandLine, RemoveOwnSwitchesKeepsEverythingElseAsTyped) {
    const struct {
        const wchar_t* in;
        const wchar_t* out;
    } cases[] = {
        {L"", L""},
        {L"/q", L"/q"},
        {L"/l de-DE", L""},
        {L"/l de-DE /q", L"/q"},
        {L"/q /L de-DE", L"/q"},
        {L"/q -l de-DE  /passive", L"/q  /passive"},
        {L"/x \"C:\\a b\\\" c\" /q", L"/q"},  // the escaped quote keeps the folder whole
        {L"\"/l\" fr-FR TARGETDIR=\"C:\\x y\"", L"TARGETDIR=\"C:\\x y\""},
        {L"/? anything", L"anything"},
        {L"/l", L""},
        {L"/lang=de /xq /L=x PROP=\"/l\"", L"/lang=de /xq /L=x PROP=\"/l\""},
        {L"/q\t/l\tde", L"/q"},
    };
    for (const auto& c : cases) EXPECT_EQ(RemoveOwnSwitches(c.in), c.out) << testing::PrintToString(std::wstring(c.in));
}
