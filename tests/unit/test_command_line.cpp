// The stub's command-line options.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLineOptions.h"
#include "Layers.h"

namespace {
CommandLineOptions Parse(std::vector<std::wstring> args) {
    args.insert(args.begin(), L"C:\\dl\\setup.exe");
    return ParseCommandLineOptions(args);
}
}  // namespace

TEST(CommandLine, NothingGiven) {
    const CommandLineOptions o = Parse({});
    EXPECT_FALSE(o.help);
    EXPECT_FALSE(o.extractOnly);
    EXPECT_FALSE(o.quiet);
    EXPECT_FALSE(o.languageFixed);
    EXPECT_TRUE(o.cultures.empty());
    // The program path itself is never an option.
    EXPECT_FALSE(ParseCommandLineOptions({L"/q"}).quiet);
}

TEST(CommandLine, ExtractOnlyAndItsFolder) {
    CommandLineOptions o = Parse({L"/X"});
    EXPECT_TRUE(o.extractOnly);
    EXPECT_EQ(o.extractFolder, L"");

    o = Parse({L"-x", L"C:\\My Files"});
    EXPECT_TRUE(o.extractOnly);
    EXPECT_EQ(o.extractFolder, L"C:\\My Files");

    o = Parse({L"/x", L"/q"});  // the next argument is the folder, whatever it looks like
    EXPECT_EQ(o.extractFolder, L"/q");
    EXPECT_FALSE(o.quiet);

    o = Parse({L"/x", L"a", L"/x", L"b"});  // later wins
    EXPECT_EQ(o.extractFolder, L"b");
    o = Parse({L"/x", L"a", L"/x"});  // a trailing /x keeps the path
    EXPECT_EQ(o.extractFolder, L"a");
}

TEST(CommandLine, HelpStopsTheParse) {
    CommandLineOptions o = Parse({L"/?", L"/x"});
    EXPECT_TRUE(o.help);
    EXPECT_FALSE(o.extractOnly);

    o = Parse({L"/q", L"/?"});
    EXPECT_TRUE(o.help);
    EXPECT_TRUE(o.quiet);

    o = Parse({L"/l", L"de-DE", L"-?", L"/l", L"fr-FR"});
    EXPECT_TRUE(o.help);
    EXPECT_EQ(o.cultures, std::vector<std::wstring>{L"de-DE"});
}

TEST(CommandLine, LanguageOption) {
    CommandLineOptions o = Parse({L"/l"});  // no value: nothing happens
    EXPECT_FALSE(o.languageFixed);
    EXPECT_TRUE(o.cultures.empty());

    o = Parse({L"/L", L"xx-XX"});
    EXPECT_TRUE(o.languageFixed);
    EXPECT_EQ(o.cultures, std::vector<std::wstring>{L"xx-XX"});

    o = Parse({L"/l", L"de-DE", L"/l", L"fr-FR"});
    EXPECT_EQ(o.cultures, (std::vector<std::wstring>{L"de-DE", L"fr-FR"}));

    o = Parse({L"/l", L"/q"});  // the value is taken as it is
    EXPECT_EQ(o.cultures, std::vector<std::wstring>{L"/q"});
    EXPECT_FALSE(o.quiet);
}

TEST(CommandLine, IgnoredArguments) {
    const CommandLineOptions o = Parse({L"x", L"", L"/", L"-", L"/xyz", L"/l=de-DE", L"/qq", L"q", L"/Q"});
    EXPECT_FALSE(o.extractOnly);
    EXPECT_FALSE(o.languageFixed);
    EXPECT_FALSE(o.help);
    EXPECT_TRUE(o.quiet);  // only the last one counts: /Q
    EXPECT_FALSE(Parse({L"/qq"}).quiet);
}
