// Texts the dialogs build: the extraction error message, the overwrite
// question, and the bounded hand-over of the password.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "orelib/win32/UiText.h"
#include "dialog/ExtractErrorText.h"
#include "dialog/OverwriteText.h"
#include "dialog/PasswordDlg.h"
#include "orelib/win32/ErrorText.h"
#include "resources/resource.h"
#include "Layers.h"

namespace {

ExtractErrorTexts SampleTexts() {
    ExtractErrorTexts texts;
    texts.corrupted = L"CORRUPT";
    texts.extractFailed = L"FAILED";
    texts.systemText = L"Access is denied. (0x80070005)";
    return texts;
}

TEST(ExtractErrorText, DamagedArchiveShowsTheCorruptedTextAlone) {
    EXPECT_EQ(BuildExtractErrorText(0, 0x8007000D, L"ignored", L"C:\\ignored", SampleTexts()), L"CORRUPT");
}

TEST(ExtractErrorText, SystemErrorWithAndWithoutPath) {
    EXPECT_EQ(BuildExtractErrorText(1, 0x80070005, L"", L"D:\\t\\inst\\data.cab", SampleTexts()),
              L"FAILED\n\nAccess is denied. (0x80070005)\n\nD:\\t\\inst\\data.cab");
    EXPECT_EQ(BuildExtractErrorText(1, 0x80070005, L"", L"", SampleTexts()),
              L"FAILED\n\nAccess is denied. (0x80070005)");
}

TEST(ExtractErrorText, OtherErrorsWithMessageAndCode) {
    // Message empty, code set: the code follows the heading directly.
    EXPECT_EQ(BuildExtractErrorText(2, 0x80004005, L"", L"", SampleTexts()), L"FAILED (0x80004005)");
    EXPECT_EQ(BuildExtractErrorText(2, 0, L"ERROR: cannot write", L"", SampleTexts()),
              L"FAILED\n\nERROR: cannot write");
    EXPECT_EQ(BuildExtractErrorText(2, 7, L"text", L"", SampleTexts()), L"FAILED\n\ntext (0x00000007)");
    EXPECT_EQ(BuildExtractErrorText(2, 0, L"", L"", SampleTexts()), L"FAILED");
    // A message with format characters is shown as written.
    EXPECT_EQ(BuildExtractErrorText(2, 0, L"%s%n%d", L"", SampleTexts()), L"FAILED\n\n%s%n%d");
}

TEST(ExtractErrorText, HexCodeIsEightUpperCaseDigits) {
    EXPECT_EQ(FormatHexCode(0), L" (0x00000000)");
    EXPECT_EQ(FormatHexCode(0xABCDEF), L" (0x00ABCDEF)");
    EXPECT_EQ(FormatHexCode(0xFFFFFFFF), L" (0xFFFFFFFF)");
}

TEST(ExtractErrorText, RealTextsInEnglish) {
    ExtractErrorTexts texts;
    texts.corrupted = orelib::CUiText().LoadUiString(IDS_CORRUPTED);
    texts.extractFailed = orelib::CUiText().LoadUiString(IDS_EXTRACT_FAILED);
    texts.systemText = orelib::FormatErrorText(0x80070005);
    std::wstring text = BuildExtractErrorText(1, 0x80070005, L"", L"D:\\t\\inst\\data.cab", texts);
    EXPECT_EQ(text.rfind(L"The installation files could not be extracted.\n\n", 0), 0u) << text;
    EXPECT_NE(text.find(L" (0x80070005)\n\nD:\\t\\inst\\data.cab"), std::wstring::npos) << text;
    EXPECT_EQ(BuildExtractErrorText(0, 0, L"", L"", texts),
              L"The setup file is corrupted. If you downloaded this file from the internet, please download it "
              L"again.");
}

TEST(OverwriteText, ShowsThePathBelowTheTargetInQuotes) {
    EXPECT_EQ(BuildOverwriteText(L"The file exists.", L"C:\\out", L"C:\\out\\sub\\data.cab",
                                 L"Overwrite all existing files?"),
              L"The file exists.\n\n\"sub\\data.cab\"\n\nOverwrite all existing files?");
    EXPECT_EQ(BuildOverwriteText(L"E", L"C:\\out", L"plain.txt", L"Q"), L"E\n\n\"plain.txt\"\n\nQ");
    EXPECT_EQ(BuildOverwriteText(L"E", L"C:\\out", L"C:\\out\\folder\\", L"Q"), L"E\n\n\"folder\"\n\nQ");
    EXPECT_EQ(BuildOverwriteText(L"E", L"C:\\out", L"", L"Q"), L"E\n\n\"\"\n\nQ");
}

TEST(OverwriteText, UsesTheSystemFileExistsText) {
    std::wstring exists = orelib::GetSystemErrorText(ERROR_FILE_EXISTS);
    ASSERT_FALSE(exists.empty());
    std::wstring text =
        BuildOverwriteText(exists, L"C:\\a", L"C:\\a\\b.txt", orelib::CUiText().LoadUiString(IDS_OVERWRITE_QUESTION));
    EXPECT_EQ(text, exists + L"\n\n\"b.txt\"\n\nOverwrite all existing files?");
}

TEST(PasswordCopy, FitsOrIsRefusedWhole) {
    wchar_t buffer[8];
    EXPECT_TRUE(CopyPassword(L"secret", buffer, 8));
    EXPECT_STREQ(buffer, L"secret");
    EXPECT_TRUE(CopyPassword(L"1234567", buffer, 8));  // 7 characters + terminator
    EXPECT_STREQ(buffer, L"1234567");
    EXPECT_FALSE(CopyPassword(L"12345678", buffer, 8));  // would lose its last character
    EXPECT_STREQ(buffer, L"");
    EXPECT_TRUE(CopyPassword(L"", buffer, 8));
    EXPECT_STREQ(buffer, L"");
    EXPECT_FALSE(CopyPassword(L"x", nullptr, 8));
    EXPECT_FALSE(CopyPassword(L"x", buffer, 0));
}

TEST(PasswordCopy, TheLongestAcceptedEntryFitsTheWorkersBuffer) {
    wchar_t buffer[1024];
    std::wstring longest(CEnterPasswordDlg::kMaxPasswordLength, L'p');
    EXPECT_TRUE(CopyPassword(longest, buffer, 1024));
    EXPECT_EQ(std::wstring(buffer), longest);
    EXPECT_FALSE(CopyPassword(longest + L"q", buffer, 1024));
}

TEST(PasswordCopy, WipeClearsTheText) {
    std::wstring text = L"hunter2";
    WipeString(text);
    EXPECT_TRUE(text.empty());
}

}  // namespace
