#include <gtest/gtest.h>

#include "orelib/StringFormat.h"

using orelib::FormatOneString;

TEST(FormatOneString, ReplacesTheFirstPlaceholder) {
    EXPECT_EQ(FormatOneString(L"Choose a location with enough space to temporary store the "
                              L"installation files (%s).",
                              L"1.5 MB"),
              L"Choose a location with enough space to temporary store the installation files "
              L"(1.5 MB).");
    EXPECT_EQ(FormatOneString(L"%s", L"x"), L"x");
    EXPECT_EQ(FormatOneString(L"(%s)\u3002", L"3.50 GB"), L"(3.50 GB)\u3002");
    EXPECT_EQ(FormatOneString(L"", L"x"), L"");
    EXPECT_EQ(FormatOneString(L"no placeholder", L"x"), L"no placeholder");
}

TEST(FormatOneString, OtherPercentSequencesStayLiteral) {
    EXPECT_EQ(FormatOneString(L"%s and %s", L"a"), L"a and %s");
    EXPECT_EQ(FormatOneString(L"100%% (%s)", L"a"), L"100% (a)");
    EXPECT_EQ(FormatOneString(L"%d %n %x %", L"a"), L"%d %n %x %");
    EXPECT_EQ(FormatOneString(L"%%s is %s", L"a"), L"%s is a");
    // The value itself is never read as a format.
    EXPECT_EQ(FormatOneString(L"[%s]", L"%s%%"), L"[%s%%]");
}
