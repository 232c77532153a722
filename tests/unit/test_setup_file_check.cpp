// The stub's size check of its own file: its message texts, and the rule
// (tested on its own in tests/native/test_setup_layout.cpp) through real files.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/SetupFileCheck.h"
#include "orelib/win32/OwnFile.h"
#include "resources/resource.h"
#include "tests/unit/RunFixture.h"
#include "tests/unit/PeFileCopy.h"
#include "tests/unit/TempFolder.h"
#include "Layers.h"

using SetupFileCheck = RunTest;

namespace {

// The check of a file opened as the stub opens its own, in English: "" when
// it passes, else its message; a file that cannot be opened gives the
// read-error text.
std::wstring CheckFile(const std::wstring& path) {
    const orelib::CUiText english;
    orelib::COwnFile file;
    const HRESULT hr = file.Open(path);
    if (FAILED(hr)) return SetupFileReadErrorText(hr, english);
    const StepResult result = CheckSetupFileSize(file.Get(), english);
    EXPECT_EQ(result.Failed(), !result.message.empty()) << path;
    return result.message;
}

}  // namespace

TEST_F(SetupFileCheck, SizeMessageInEnglish) {
    EXPECT_EQ(SizeMismatchText(5000000, 4999999, m_uiText),
              L"The setup file is corrupted. If you downloaded this file from the internet, please "
              L"download it again.\n\nExpected file size: 5000000\nActual file size: 4999999.");
    EXPECT_EQ(SizeMismatchText(0, -1, m_uiText),
              m_uiText.LoadUiString(IDS_CORRUPTED) + L"\n\nExpected file size: 0\nActual file size: -1.");
    EXPECT_EQ(
        SizeMismatchText(8589934592LL, 8589934593LL, m_uiText),
        m_uiText.LoadUiString(IDS_CORRUPTED) + L"\n\nExpected file size: 8589934592\nActual file size: 8589934593.");
}

TEST_F(SetupFileCheck, SizeMessageInTheInstallationLanguage) {
    m_uiText.SetCulture(L"de-DE");
    const std::wstring text = SizeMismatchText(5000000, 4999999, m_uiText);
    const std::wstring corrupted = m_uiText.LoadUiString(IDS_CORRUPTED);
    EXPECT_NE(corrupted,
              L"The setup file is corrupted. If you downloaded this file from the internet, "
              L"please download it again.");
    ASSERT_EQ(text.compare(0, corrupted.size() + 2, corrupted + L"\n\n"), 0);
    const size_t expectedAt = text.find(L"5000000");
    ASSERT_NE(expectedAt, std::wstring::npos);
    EXPECT_NE(text.find(L"4999999", expectedAt), std::wstring::npos);
    EXPECT_EQ(text.find(L"%I64d"), std::wstring::npos);
}

TEST_F(SetupFileCheck, RealFiles) {
    CTempFolder dir;
    std::string image = OwnImage();
    const size_t resource = SizeResourceOffset(image);
    ASSERT_NE(resource, 0u);
    const int64_t size = static_cast<int64_t>(image.size());
    const std::string asBuilt = image;  // the resource still holds 0
    Put64(image, resource, image.size());
    const std::string whole = image;

    // A pretend certificate table over the last 16 bytes; the resource keeps 0.
    std::string signedImage = asBuilt;
    const size_t entry = CertificateEntryOffset(signedImage);
    Put32(signedImage, entry, static_cast<uint32_t>(signedImage.size() - 16));
    Put32(signedImage, entry + 4, 16);

    // The resource renamed wherever its name occurs.
    std::string renamed = whole;
    const std::string name("_\0K\0T\0V\0_\0V\0E\0R\0I\0F\0Y\0", 22);
    for (size_t at = renamed.find(name); at != std::string::npos; at = renamed.find(name, at)) {
        renamed[at + 2] = 'X';
    }

    std::string noPe(0x100, '\0');
    noPe[0] = 'M';
    noPe[1] = 'Z';
    Put32(noPe, 0x3C, 0x80);

    struct Case {
        const wchar_t* name;
        const std::string* bytes;  // null: no such file
        bool locked;
        std::wstring expected;
    };
    const std::string text = "just some text, not a program";
    const std::string cut = whole.substr(0, whole.size() - 1);
    const std::string longer = whole + "x";
    const std::string signedCut = signedImage.substr(0, signedImage.size() - 1);
    const Case cases[] = {
        {L"asbuilt.exe", &asBuilt, false, SizeMismatchText(0, size, m_uiText)},
        {L"whole.exe", &whole, false, L""},
        {L"cut.exe", &cut, false, SizeMismatchText(size, size - 1, m_uiText)},
        {L"longer.exe", &longer, false, SizeMismatchText(size, size + 1, m_uiText)},
        {L"signed.exe", &signedImage, false, L""},
        {L"signedcut.exe", &signedCut, false, SizeMismatchText(size, size - 1, m_uiText)},
        {L"renamed.exe", &renamed, false, L"Resource _KTV_VERIFY is not found."},
        {L"text.exe", &text, false, L"File does not have EXE format."},
        {L"nope.exe", &noPe, false, L"Invalid PE signature."},
        {L"missing.exe", nullptr, false, m_uiText.LoadUiString(IDS_CANNOT_READ) + L" (-2147024894)"},
        {L"locked.exe", &whole, true, m_uiText.LoadUiString(IDS_CANNOT_READ) + L" (-2147024864)"},
    };
    EXPECT_EQ(SetupFileReadErrorText(static_cast<HRESULT>(0x80070002), m_uiText),
              L"The compressed setup file could not be read. (-2147024894)");
    for (const Case& c : cases) {
        const std::wstring path = dir / c.name;
        if (c.bytes) {
            ASSERT_TRUE(CTempFolder::WriteFile(path, *c.bytes)) << c.name;
        }
        HANDLE exclusive = INVALID_HANDLE_VALUE;
        if (c.locked) {
            exclusive = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
        }
        EXPECT_EQ(CheckFile(path), c.expected) << c.name;
        if (exclusive != INVALID_HANDLE_VALUE) CloseHandle(exclusive);
    }
}

TEST_F(SetupFileCheck, TheTestProgramItselfIsNotWhole) {
    // Its _KTV_VERIFY holds 0 as built, so the own-file check must refuse it.
    ASSERT_EQ(m_ownFile.OpenRunningImage(), S_OK);
    const StepResult result = CheckSetupFileSize(m_ownFile.Get(), m_uiText);
    EXPECT_EQ(result.hr, HRESULT_FROM_WIN32(ERROR_FILE_CORRUPT));
    EXPECT_EQ(result.message,
              SizeMismatchText(0, m_ownFile.Size(), m_uiText));
}
