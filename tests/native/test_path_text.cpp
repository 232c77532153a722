// Path composition and splitting, trimming and splitting of text.
#include <gtest/gtest.h>

#include <string>

#include "orelib/Path.h"
#include "orelib/Text.h"

using namespace orelib;

TEST(Path, IsRelativePath) {
    EXPECT_TRUE(IsRelativePath(nullptr));
    EXPECT_TRUE(IsRelativePath(L""));
    EXPECT_TRUE(IsRelativePath(L"C"));
    EXPECT_TRUE(IsRelativePath(L"\\"));
    EXPECT_TRUE(IsRelativePath(L"\\out"));
    EXPECT_TRUE(IsRelativePath(L"out\\x"));
    EXPECT_TRUE(IsRelativePath(L"1:\\x"));
    EXPECT_TRUE(IsRelativePath(L"/\\x"));
    EXPECT_FALSE(IsRelativePath(L"\\\\server\\share"));
    EXPECT_FALSE(IsRelativePath(L"\\\\"));
    EXPECT_FALSE(IsRelativePath(L"E:\\out"));
    EXPECT_FALSE(IsRelativePath(L"e:out"));
    EXPECT_FALSE(IsRelativePath(L"E:"));
}

TEST(Path, AddBackslashAndCombine) {
    std::wstring p;
    AddBackslash(p);
    EXPECT_EQ(p, L"");
    p = L"C:\\t";
    AddBackslash(p);
    EXPECT_EQ(p, L"C:\\t\\");
    AddBackslash(p);
    EXPECT_EQ(p, L"C:\\t\\");
    EXPECT_EQ(WithBackslash(L"a"), L"a\\");
    EXPECT_EQ(WithBackslash(L""), L"");

    EXPECT_EQ(CombinePath(L"C:\\t", L"x"), L"C:\\t\\x");
    EXPECT_EQ(CombinePath(L"C:\\t\\", L"x"), L"C:\\t\\x");
    EXPECT_EQ(CombinePath(L"", L"x"), L"x");
    EXPECT_EQ(CombinePath(L"C:\\t", L"\\x"), L"C:\\t\\\\x");  // no normalisation
    EXPECT_EQ(CombinePath(L"C:\\t", L""), L"C:\\t\\");
}

TEST(Path, RemoveExtension) {
    EXPECT_EQ(RemoveExtension(L"C:\\dl\\setup.exe"), L"C:\\dl\\setup");
    EXPECT_EQ(RemoveExtension(L"D:\\dl\\my.setup.exe"), L"D:\\dl\\my.setup");
    EXPECT_EQ(RemoveExtension(L"C:\\pkg.2\\setup"), L"C:\\pkg");  // the dot may be in a folder
    EXPECT_EQ(RemoveExtension(L"setup"), L"");
    EXPECT_EQ(RemoveExtension(L".hidden"), L"");
    EXPECT_EQ(RemoveExtension(L""), L"");
}

TEST(Path, FileNameAndDirParts) {
    EXPECT_EQ(GetFileNamePart(L"C:\\a\\b\\"), L"b");
    EXPECT_EQ(GetFileNamePart(L"C:\\a\\b"), L"b");
    EXPECT_EQ(GetFileNamePart(L"b"), L"b");
    EXPECT_EQ(GetFileNamePart(L"b\\"), L"b");
    EXPECT_EQ(GetFileNamePart(L""), L"");
    EXPECT_EQ(GetFileNamePart(L"\\"), L"");
    EXPECT_EQ(GetFileNamePart(L"C:\\"), L"C:");

    EXPECT_EQ(GetFileDirPart(L"C:\\a\\b.exe"), L"C:\\a\\");
    EXPECT_EQ(GetFileDirPart(L"C:\\a\\"), L"C:\\a\\");
    EXPECT_EQ(GetFileDirPart(L"b.exe"), L"");
    EXPECT_EQ(GetFileDirPart(L""), L"");

    // What the overwrite prompt names: the path below the target folder.
    const struct {
        const wchar_t* folder;
        const wchar_t* path;
        const wchar_t* below;
    } kBelow[] = {
        {L"C:\\out", L"C:\\out\\sub\\data.cab", L"sub\\data.cab"},
        {L"C:\\Out\\", L"c:\\out\\a.txt", L"a.txt"},
        {L"C:\\out", L"C:\\out\\folder\\", L"folder"},
        {L"C:\\out", L"C:\\outside\\a.txt", L"a.txt"},  // a prefix of the name is not the folder
        {L"C:\\out", L"C:\\out", L"out"},
        {L"", L"C:\\out\\a.txt", L"a.txt"},
    };
    for (const auto& c : kBelow) EXPECT_EQ(GetPathBelow(c.folder, c.path), c.below) << c.path;
}

TEST(Text, Trim) {
    std::wstring s = L" \t\r\n x y \t\n";
    TrimLeft(s);
    EXPECT_EQ(s, L"x y \t\n");
    TrimRight(s);
    EXPECT_EQ(s, L"x y");
    s = L"   ";
    TrimRight(s);
    EXPECT_EQ(s, L"");
    s = L"   ";
    TrimLeft(s);
    EXPECT_EQ(s, L"");
    s = L"\v a \f";
    Trim(s);
    EXPECT_EQ(s, L"a");
}

TEST(Text, SplitAtChar) {
    std::wstring left = L"old", right = L"old";
    EXPECT_TRUE(SplitAtChar(L" de - AT ", &left, &right, L'-', true));
    EXPECT_EQ(left, L"de");
    EXPECT_EQ(right, L"AT");

    EXPECT_TRUE(SplitAtChar(L" de - AT ", &left, &right, L'-', false));
    EXPECT_EQ(left, L" de ");
    EXPECT_EQ(right, L" AT ");

    EXPECT_TRUE(SplitAtChar(L"a=b=c", &left, &right, L'=', false));  // first occurrence
    EXPECT_EQ(left, L"a");
    EXPECT_EQ(right, L"b=c");

    EXPECT_TRUE(SplitAtChar(L"key=", &left, &right, L'=', true));  // separator last
    EXPECT_EQ(left, L"key");
    EXPECT_EQ(right, L"");

    EXPECT_FALSE(SplitAtChar(L" de ", &left, &right, L'-', true));
    EXPECT_EQ(left, L"de");
    EXPECT_EQ(right, L"");

    EXPECT_FALSE(SplitAtChar(L"", &left, &right, L'-', true));
    EXPECT_EQ(left, L"");
    EXPECT_EQ(right, L"");

    EXPECT_TRUE(SplitAtChar(L"x-y", nullptr, &right, L'-', false));
    EXPECT_EQ(right, L"y");
    EXPECT_TRUE(SplitAtChar(L"x-y", &left, nullptr, L'-', false));
    EXPECT_EQ(left, L"x");
}
