// The setup-file size check: texts, header rules and real files.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/SetupFileCheck.h"
#include "app/App.h"
#include "orelib/win32/UiText.h"
#include "orelib/win32/OwnFile.h"
#include "resources/resource.h"
#include "tests/unit/RunFixture.h"
#include "tests/unit/PeFileCopy.h"
#include "tests/unit/TempFolder.h"

using SetupFileCheck = RunTest;

namespace {

// The check of a file opened as the stub opens its own; a file that cannot
// be opened gives the read-error text.
std::wstring CheckFile(const std::wstring& path) {
    orelib::COwnFile file;
    const HRESULT hr = file.Open(path);
    const orelib::CUiText english;
    if (FAILED(hr)) return SetupFileReadErrorText(hr, english);
    return CheckSetupFileSizeOf(file.Get(), english);
}

}  // namespace

TEST_F(SetupFileCheck, SizeMessageInEnglish) {
    EXPECT_EQ(SizeMismatchText(5000000, 5000000, m_uiText), L"");
    EXPECT_EQ(SizeMismatchText(5000000, 4999999, m_uiText),
              L"The setup file is corrupted. If you downloaded this file from the internet, please "
              L"download it again.\n\nExpected file size: 5000000\nActual file size: 4999999.");
    EXPECT_EQ(SizeMismatchText(0, -1, m_uiText),
              m_uiText.LoadUiString(IDS_CORRUPTED) + L"\n\nExpected file size: 0\nActual file size: -1.");
    EXPECT_EQ(SizeMismatchText(8589934592LL, 8589934593LL, m_uiText),
              m_uiText.LoadUiString(IDS_CORRUPTED) +
                  L"\n\nExpected file size: 8589934592\nActual file size: 8589934593.");
}

TEST_F(SetupFileCheck, SizeMessageInTheInstallationLanguage) {
    m_uiText.SetCulture(L"de-DE");
    const std::wstring text = SizeMismatchText(5000000, 4999999, m_uiText);
    const std::wstring corrupted = m_uiText.LoadUiString(IDS_CORRUPTED);
    EXPECT_NE(corrupted, L"The setup file is corrupted. If you downloaded this file from the internet, "
                         L"please download it again.");
    ASSERT_EQ(text.compare(0, corrupted.size() + 2, corrupted + L"\n\n"), 0);
    const size_t expectedAt = text.find(L"5000000");
    ASSERT_NE(expectedAt, std::wstring::npos);
    EXPECT_NE(text.find(L"4999999", expectedAt), std::wstring::npos);
    EXPECT_EQ(text.find(L"%I64d"), std::wstring::npos);
}

TEST_F(SetupFileCheck, ReadErrorText) {
    EXPECT_EQ(SetupFileReadErrorText(static_cast<HRESULT>(0x80070002), m_uiText),
              L"The compressed setup file could not be read. (-2147024894)");
}

TEST_F(SetupFileCheck, HeaderRules) {
    int64_t expected = -5;
    bool needResource = true;
    const uint8_t notExe[] = {'Z', 'M', 0, 0};
    EXPECT_EQ(ExpectedSizeFromHeaders(notExe, sizeof notExe, &expected, &needResource),
              L"File does not have EXE format.");

    std::string image = OwnImage();
    ASSERT_GT(image.size(), 0x1000u);
    const auto* data = reinterpret_cast<const uint8_t*>(image.data());

    // Unsigned: the resource decides.
    EXPECT_EQ(ExpectedSizeFromHeaders(data, image.size(), &expected, &needResource), L"");
    EXPECT_TRUE(needResource);

    // Signed: offset + size, summed in 32 bits.
    const size_t entry = CertificateEntryOffset(image);
    Put32(image, entry, 5000000 - 1000);
    Put32(image, entry + 4, 1000);
    EXPECT_EQ(ExpectedSizeFromHeaders(data, image.size(), &expected, &needResource), L"");
    EXPECT_FALSE(needResource);
    EXPECT_EQ(expected, 5000000);
    Put32(image, entry, 0xFFFFFF00u);
    Put32(image, entry + 4, 0x200);
    EXPECT_EQ(ExpectedSizeFromHeaders(data, image.size(), &expected, &needResource), L"");
    EXPECT_EQ(expected, 0x100);

    // A header offset outside the window is never followed.
    Put32(image, 0x3C, 0x7FFFFFF0u);
    EXPECT_EQ(ExpectedSizeFromHeaders(data, image.size(), &expected, &needResource),
              L"Invalid PE signature.");
    Put32(image, 0x3C, static_cast<uint32_t>(image.size() - 2));
    EXPECT_EQ(ExpectedSizeFromHeaders(data, image.size(), &expected, &needResource),
              L"Invalid PE signature.");
}

TEST_F(SetupFileCheck, ResourceRules) {
    int64_t expected = -5;
    EXPECT_EQ(ExpectedSizeFromResource(static_cast<HRESULT>(0x80070716), {}, &expected),
              L"Resource _KTV_VERIFY is not found.");
    EXPECT_EQ(ExpectedSizeFromResource(S_OK, {1, 2, 3, 4}, &expected),
              L"Resource _KTV_VERIFY is not found.");
    EXPECT_EQ(ExpectedSizeFromResource(S_OK, {}, &expected), L"Resource _KTV_VERIFY is not found.");
    EXPECT_EQ(ExpectedSizeFromResource(S_OK, {0x40, 0x4B, 0x4C, 0, 0, 0, 0, 0}, &expected), L"");
    EXPECT_EQ(expected, 5000000);
    EXPECT_EQ(ExpectedSizeFromResource(S_OK, {1, 0, 0, 0, 2, 0, 0, 0}, &expected), L"");
    EXPECT_EQ(expected, 0x200000001LL);
}

TEST_F(SetupFileCheck, UnsignedFiles) {
    CTempFolder dir;
    std::string image = OwnImage();
    const size_t resource = SizeResourceOffset(image);
    ASSERT_NE(resource, 0u);

    // As built: the resource still holds 0.
    const std::wstring asBuilt = dir / L"asbuilt.exe";
    ASSERT_TRUE(CTempFolder::WriteFile(asBuilt, image));
    EXPECT_EQ(CheckFile(asBuilt),
              SizeMismatchText(0, static_cast<int64_t>(image.size()), m_uiText));

    // Filled in with the exact size: whole.
    Put64(image, resource, image.size());
    const std::wstring whole = dir / L"whole.exe";
    ASSERT_TRUE(CTempFolder::WriteFile(whole, image));
    EXPECT_EQ(CheckFile(whole), L"");

    // Truncated download and bytes added.
    const std::wstring cut = dir / L"cut.exe";
    ASSERT_TRUE(CTempFolder::WriteFile(cut, image.substr(0, image.size() - 1)));
    EXPECT_EQ(CheckFile(cut), SizeMismatchText(static_cast<int64_t>(image.size()),
                                                          static_cast<int64_t>(image.size() - 1), m_uiText));
    const std::wstring longer = dir / L"longer.exe";
    ASSERT_TRUE(CTempFolder::WriteFile(longer, image + "x"));
    EXPECT_NE(CheckFile(longer), L"");
}

TEST_F(SetupFileCheck, SignedFilesIgnoreTheResource) {
    CTempFolder dir;
    std::string image = OwnImage();
    // A pretend certificate table over the last 16 bytes; the resource keeps 0.
    const size_t entry = CertificateEntryOffset(image);
    Put32(image, entry, static_cast<uint32_t>(image.size() - 16));
    Put32(image, entry + 4, 16);
    const std::wstring signedFile = dir / L"signed.exe";
    ASSERT_TRUE(CTempFolder::WriteFile(signedFile, image));
    EXPECT_EQ(CheckFile(signedFile), L"");

    const std::wstring cut = dir / L"cut.exe";
    ASSERT_TRUE(CTempFolder::WriteFile(cut, image.substr(0, image.size() - 1)));
    EXPECT_EQ(CheckFile(cut), SizeMismatchText(static_cast<int64_t>(image.size()),
                                                          static_cast<int64_t>(image.size() - 1), m_uiText));
}

TEST_F(SetupFileCheck, UnreadableAndForeignFiles) {
    CTempFolder dir;
    EXPECT_EQ(CheckFile(dir / L"missing.exe"),
              m_uiText.LoadUiString(IDS_CANNOT_READ) + L" (-2147024894)");

    const std::wstring locked = dir / L"locked.exe";
    ASSERT_TRUE(CTempFolder::WriteFile(locked, OwnImage()));
    HANDLE exclusive = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CheckFile(locked), m_uiText.LoadUiString(IDS_CANNOT_READ) + L" (-2147024864)");
    CloseHandle(exclusive);

    const std::wstring text = dir / L"text.exe";
    ASSERT_TRUE(CTempFolder::WriteFile(text, "just some text, not a program"));
    EXPECT_EQ(CheckFile(text), L"File does not have EXE format.");

    std::string header(0x100, '\0');
    header[0] = 'M';
    header[1] = 'Z';
    Put32(header, 0x3C, 0x80);
    const std::wstring noPe = dir / L"nope.exe";
    ASSERT_TRUE(CTempFolder::WriteFile(noPe, header));
    EXPECT_EQ(CheckFile(noPe), L"Invalid PE signature.");
}

TEST_F(SetupFileCheck, TheTestProgramItselfIsNotWhole) {
    // Its _KTV_VERIFY holds 0 as built, so the own-file check must refuse it.
    ASSERT_EQ(m_ownFile.OpenRunningImage(), S_OK);
    EXPECT_EQ(CheckSetupFileSizeOf(m_ownFile.Get(), m_uiText),
              SizeMismatchText(0, orelib::GetFileSize64(orelib::GetModulePath(nullptr).c_str()), m_uiText));
}
