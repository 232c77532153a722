// Where the working folder is made: the system's temporary folder when
// elevated, the user's only when not.
#include <gtest/gtest.h>

#include "orelib/WorkingFolderParent.h"

TEST(WorkingFolderParent, ElevatedRunsNeverUseTheUsersTemp) {
    struct Case {
        bool elevated;
        const wchar_t* windowsDir;
        bool systemTempExists;
        const wchar_t* expected;
    };
    const std::wstring userTemp = L"C:\\Users\\u\\AppData\\Local\\Temp\\";
    const Case cases[] = {
        {true, L"C:\\Windows", true, L"C:\\Windows\\SystemTemp"},
        {true, L"C:\\Windows\\", true, L"C:\\Windows\\SystemTemp"},
        {true, L"C:\\Windows", false, L"C:\\Windows\\Temp"},
        {true, L"", false, L""},  // no Windows folder: no parent, never the user's
        {false, L"C:\\Windows", true, L"C:\\Users\\u\\AppData\\Local\\Temp\\"},
        {false, L"C:\\Windows", false, L"C:\\Users\\u\\AppData\\Local\\Temp\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(orelib::ChooseWorkingFolderParent(c.elevated, c.windowsDir, c.systemTempExists, userTemp), c.expected)
            << c.elevated << " " << testing::PrintToString(std::wstring(c.windowsDir)) << " " << c.systemTempExists;
    }
}
