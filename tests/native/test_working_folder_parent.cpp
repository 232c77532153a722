// Where the working folder may be made, in the order the places are tried.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "orelib/WorkingFolderParent.h"

namespace {

std::wstring Joined(const std::vector<orelib::CParentCandidate>& list) {
    std::wstring text;
    for (const orelib::CParentCandidate& c : list) text += (text.empty() ? L"" : L" | ") + c.path + (c.usersOwn ? L" (user)" : L"");
    return text;
}

}  // namespace

TEST(WorkingFolderParent, EachIdentityTriesItsOwnPlacesInOrder) {
    const std::wstring longName(300, L'x');
    struct Case {
        const char* what;
        orelib::CTempFolderFacts facts;
        std::wstring expected;
    };
    const std::wstring user = L"C:\\Users\\u\\AppData\\Local\\Temp\\";
    const Case cases[] = {
        {"SYSTEM", {true, true, L"C:\\Windows", L"%SystemRoot%\\TEMP", L"%SystemRoot%\\TEMP", user},
         L"C:\\Windows\\SystemTemp | C:\\Windows\\TEMP"},
        {"SYSTEM, machine TMP elsewhere", {true, true, L"C:\\Windows\\", L"D:\\tmp", L"%SystemDrive%\\Temp", user},
         L"C:\\Windows\\SystemTemp | D:\\tmp | C:\\Temp | C:\\Windows\\Temp"},
        {"elevated", {false, true, L"C:\\Windows", L"%SystemRoot%\\TEMP", L"%windir%\\Temp", user},
         L"C:\\Windows\\TEMP"},
        {"elevated, TMP and TEMP apart", {false, true, L"C:\\Windows", L"E:\\scratch\\", L"%SYSTEMROOT%\\Temp2", user},
         L"E:\\scratch\\ | C:\\Windows\\Temp2 | C:\\Windows\\Temp"},
        {"elevated, no machine variables", {false, true, L"C:\\Windows", L"", L"", user}, L"C:\\Windows\\Temp"},
        {"elevated, variables the system does not define or relative",
         {false, true, L"C:\\Windows", L"%USERPROFILE%\\Temp", L"Temp", user}, L"C:\\Windows\\Temp"},
        {"elevated, unpaired %", {false, true, L"C:\\Windows", L"C:\\100%\\t", L"\\\\srv\\share\\t", user},
         L"\\\\srv\\share\\t | C:\\Windows\\Temp"},
        {"elevated, no Windows folder", {false, true, L"", L"%SystemRoot%\\TEMP", L"D:\\t", user}, L"D:\\t"},
        {"elevated, beyond MAX_PATH", {false, true, L"C:\\Windows", L"D:\\" + longName, L"", user},
         L"D:\\" + longName + L" | C:\\Windows\\Temp"},
        {"not elevated", {false, false, L"C:\\Windows", L"D:\\tmp", L"D:\\tmp", user}, user + L" (user)"},
        {"not elevated, beyond MAX_PATH", {false, false, L"C:\\Windows", L"", L"", L"C:\\" + longName},
         L"C:\\" + longName + L" (user)"},
        {"not elevated, no TEMP", {false, false, L"C:\\Windows", L"D:\\tmp", L"", L""}, L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Joined(orelib::WorkingFolderParents(c.facts)), c.expected) << c.what;
    }
}

TEST(WorkingFolderParent, ExpandsOnlyWhatTheLookupKnows) {
    const std::vector<orelib::CVariable> variables = {{L"A", L"x%B%"}};  // a value is not expanded again
    struct Case {
        const wchar_t* text;
        bool ok;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"", true, L""},          {L"plain", true, L"plain"}, {L"%A%\\t", true, L"x%B%\\t"},
        {L"%A%%A%", true, L"x%B%x%B%"}, {L"%%", true, L"%%"},  {L"%B%", false, L""},
        {L"a%A", false, L""},      {L"%A%%", false, L""},      {L"%a%", true, L"x%B%"},
    };
    for (const Case& c : cases) {
        std::wstring out;
        EXPECT_EQ(orelib::ExpandVariables(c.text, variables, &out), c.ok) << testing::PrintToString(std::wstring(c.text));
        if (c.ok) EXPECT_EQ(out, c.expected);
    }
}
