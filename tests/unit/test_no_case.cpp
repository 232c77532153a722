#include <gtest/gtest.h>

#include "orelib/NoCaseLess.h"

TEST(NoCase, ComparesWithoutCaseAndOrdersByLength) {
    EXPECT_TRUE(orelib::EqualsNoCase(L"LANG_de-DE", L"lang_DE-de"));
    EXPECT_FALSE(orelib::EqualsNoCase(L"de", L"de-"));
    EXPECT_LT(orelib::CompareNoCase(L"de", L"de-AT"), 0);
    EXPECT_GT(orelib::CompareNoCase(L"fr", L"DE"), 0);
}
