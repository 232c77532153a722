// The progress title format: one "%d", "%%", everything else literal.
#include <gtest/gtest.h>

#include "orelib/StringFormat.h"

namespace {

using orelib::FormatOneNumber;

TEST(PercentFormat, FormatsTheStandardTitle) {
    EXPECT_EQ(FormatOneNumber(L"%d %% Extracting...", 0), L"0 % Extracting...");
    EXPECT_EQ(FormatOneNumber(L"%d %% Extracting...", 99), L"99 % Extracting...");
    EXPECT_EQ(FormatOneNumber(L"%d %% Extracting...", 100), L"100 % Extracting...");
    EXPECT_EQ(FormatOneNumber(L"Entpacken: %d%%", 42), L"Entpacken: 42%");
    EXPECT_EQ(FormatOneNumber(L"", 5), L"");
    EXPECT_EQ(FormatOneNumber(L"No number", 5), L"No number");
}

TEST(PercentFormat, HostileFormatsStayLiteral) {
    // Only the first %d takes the number; other conversions are printed as written.
    EXPECT_EQ(FormatOneNumber(L"%d %d", 7), L"7 %d");
    EXPECT_EQ(FormatOneNumber(L"%s%s%s%n", 7), L"%s%s%s%n");
    EXPECT_EQ(FormatOneNumber(L"%x %p %ls %d", 3), L"%x %p %ls 3");
    EXPECT_EQ(FormatOneNumber(L"%5d|%-d|%ld", 3), L"%5d|%-d|%ld");
    EXPECT_EQ(FormatOneNumber(L"100%", 3), L"100%");  // trailing lone percent
    EXPECT_EQ(FormatOneNumber(L"%", 3), L"%");
    EXPECT_EQ(FormatOneNumber(L"%%d", 3), L"%d");  // escaped percent, then a plain d
    EXPECT_EQ(FormatOneNumber(L"%%%d", 3), L"%3");
    EXPECT_EQ(FormatOneNumber(L"%D", 3), L"%D");
    std::wstring longText(5000, L'%');
    EXPECT_EQ(FormatOneNumber(longText, 1), std::wstring(2500, L'%'));
}

TEST(PercentFormat, NegativeAndLargeNumbers) {
    EXPECT_EQ(FormatOneNumber(L"%d", -5), L"-5");
    EXPECT_EQ(FormatOneNumber(L"[%d]", 2147483647), L"[2147483647]");
}

}  // namespace
