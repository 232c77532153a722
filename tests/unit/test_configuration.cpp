// Reading the configuration block from a file and taking its settings.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/Configuration.h"
#include "orelib/win32/UiText.h"
#include "orelib/Aes.h"
#include "orelib/ConfigBlock.h"
#include "orelib/ConfigKey.h"
#include "orelib/SetupLayout.h"
#include "orelib/win32/ErrorText.h"
#include "orelib/win32/OwnFile.h"
#include "orelib/win32/ReadConfigText.h"
#include "resources/resource.h"
#include "tests/unit/RunFixture.h"
#include "tests/unit/TempFolder.h"
#include "Layers.h"

namespace {

const uint8_t kIv[16] = {0xA0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 0xAF};

// A stand-in for a finished setup file: some stub bytes, the block, an archive tail.
std::string SetupFileWith(const std::vector<uint8_t>& block, size_t tail = 64) {
    std::string file = "MZ" + std::string(4000, '\x90');
    file.append(block.begin(), block.end());
    file.append(tail, '7');
    return file;
}

std::string SetupFileWithText(const std::string& utf8) { return SetupFileWith(orelib::BuildConfigBlock(utf8, kIv)); }

HRESULT Read(const std::wstring& path, std::wstring* text) {
    *text = L"stale";
    orelib::COwnFile file;
    const HRESULT hr = file.Open(path);
    if (FAILED(hr)) return hr;
    return orelib::ReadConfigText(file.Get(), *text);
}

}  // namespace

TEST(ReadConfigText, FindsTheBlockInAFile) {
    CTempFolder dir;
    ASSERT_TRUE(CTempFolder::WriteFile(dir / L"ok.exe", SetupFileWithText("[main]\r\nCulture=de-DE\r\n")));
    std::wstring text;
    EXPECT_EQ(Read(dir / L"ok.exe", &text), S_OK);
    EXPECT_EQ(text, L"[main]\r\nCulture=de-DE\r\n");

    // Only the IV: an empty configuration, still a success.
    uint8_t start[orelib::kConfigStartMarkerSize], end[orelib::kConfigEndMarkerSize];
    orelib::MakeConfigMarkers(start, end);
    std::vector<uint8_t> ivOnly(start, start + sizeof start);
    ivOnly.insert(ivOnly.end(), kIv, kIv + 16);
    ivOnly.insert(ivOnly.end(), end, end + sizeof end);
    ASSERT_TRUE(CTempFolder::WriteFile(dir / L"iv.exe", SetupFileWith(ivOnly)));
    EXPECT_EQ(Read(dir / L"iv.exe", &text), S_OK);
    EXPECT_EQ(text, L"");
}

TEST(ReadConfigText, ReportsMissingAndUndecodableBlocks) {
    CTempFolder dir;
    std::wstring text;
    ASSERT_TRUE(CTempFolder::WriteFile(dir / L"plain.exe", "MZ" + std::string(5000, 'x')));
    EXPECT_EQ(Read(dir / L"plain.exe", &text), orelib::kConfigNotFound);
    EXPECT_EQ(text, L"");

    // The end marker followed by fewer than 6 bytes of the file.
    ASSERT_TRUE(CTempFolder::WriteFile(dir / L"short.exe", SetupFileWith(orelib::BuildConfigBlock("a=1", kIv), 5)));
    EXPECT_EQ(Read(dir / L"short.exe", &text), orelib::kConfigNotFound);
    ASSERT_TRUE(CTempFolder::WriteFile(dir / L"six.exe", SetupFileWith(orelib::BuildConfigBlock("a=1", kIv), 6)));
    EXPECT_EQ(Read(dir / L"six.exe", &text), S_OK);

    ASSERT_TRUE(CTempFolder::WriteFile(dir / L"bad.exe", SetupFileWithText("a=\xC3\x28")));
    EXPECT_EQ(Read(dir / L"bad.exe", &text), orelib::kConfigNotUtf8);
    EXPECT_EQ(text, L"");
}

TEST(ReadConfigText, SearchesTheFirst20MiBOnly) {
    CTempFolder dir;
    std::string file(orelib::kBlockScanWindow, 'x');
    file.replace(0, 2, "MZ");
    const std::vector<uint8_t> block = orelib::BuildConfigBlock("far=1", kIv);
    file.append(block.begin(), block.end());
    file.append(100, 'y');
    ASSERT_TRUE(CTempFolder::WriteFile(dir / L"far.exe", file));
    std::wstring text;
    EXPECT_EQ(Read(dir / L"far.exe", &text), orelib::kConfigNotFound);
}

TEST(ReadConfigText, PassesFileErrorsOn) {
    CTempFolder dir;
    std::wstring text;
    EXPECT_EQ(static_cast<uint32_t>(Read(dir / L"missing.exe", &text)), 0x80070002u);

    const std::wstring path = dir / L"locked.exe";
    ASSERT_TRUE(CTempFolder::WriteFile(path, SetupFileWithText("a=1")));
    HANDLE exclusive = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    EXPECT_EQ(static_cast<uint32_t>(Read(path, &text)), 0x80070020u);
    CloseHandle(exclusive);

    ASSERT_TRUE(CTempFolder::WriteFile(dir / L"empty.exe", ""));
    EXPECT_TRUE(FAILED(Read(dir / L"empty.exe", &text)));
}

using Configuration = RunTest;

TEST_F(Configuration, ErrorTexts) {
    EXPECT_EQ(ConfigurationErrorText(orelib::kConfigNotFound, L"C:\\dl\\setup.exe", m_uiText),
              m_uiText.LoadUiString(IDS_CORRUPTED));
    EXPECT_EQ(ConfigurationErrorText(orelib::kConfigNotUtf8, L"C:\\dl\\setup.exe", m_uiText),
              m_uiText.LoadUiString(IDS_CORRUPTED));
    EXPECT_EQ(ConfigurationErrorText(static_cast<HRESULT>(0x80070005), L"C:\\dl\\setup.exe", m_uiText),
              orelib::GetSystemErrorText(0x80070005) + L" (0x80070005)\n\nC:\\dl\\setup.exe");
}

TEST_F(Configuration, MainKeys) {
    ApplyConfiguration(
        L"[main]\nCulture=fr-FR\nProductName=Produkt\nShowUnzipLanguageDlg=1\n"
        L"SfxProgressPretty=1\nSfxProgressVisible=yes\n",
        m_settings, m_uiText);
    EXPECT_EQ(m_uiText.Culture(), L"fr-FR");
    EXPECT_EQ(m_uiText.LangId(), 1036);
    EXPECT_EQ(m_settings.m_productName, L"Produkt");
    EXPECT_TRUE(m_settings.m_showLanguageDlg);
    EXPECT_TRUE(m_settings.m_progressPretty);
    EXPECT_FALSE(m_settings.m_progressVisible);  // "yes" reads as 0
    EXPECT_EQ(m_settings.m_config.GetString(L"MAIN", L"productname", L""), L"Produkt");
}

TEST_F(Configuration, Defaults) {
    m_settings.m_progressVisible = false;
    ApplyConfiguration(L"[main]\nSfxProgressVisible=\nSfxProgressPretty=2\n", m_settings, m_uiText);
    EXPECT_EQ(m_uiText.Culture(), L"");
    EXPECT_EQ(m_uiText.LangId(), 9);
    EXPECT_EQ(m_settings.m_productName, L"");
    EXPECT_TRUE(m_settings.m_showLanguageDlg);  // default 1
    EXPECT_FALSE(m_settings.m_progressPretty);  // only 1 counts
    EXPECT_TRUE(m_settings.m_progressVisible);  // empty: the default 1
}

TEST_F(Configuration, EmptyTextKeepsEverythingAtItsDefault) {
    ApplyConfiguration(L"", m_settings, m_uiText);
    EXPECT_TRUE(m_settings.m_showLanguageDlg);
    EXPECT_TRUE(m_settings.m_progressVisible);
    m_uiText.SetLanguage(L"de-DE", 9);
    EXPECT_EQ(m_uiText.LoadUiString(IDS_PROGRESS_TITLE), L"%d %% Extracting...");
}

TEST_F(Configuration, ExtractOnlyAlwaysShowsProgress) {
    m_settings.m_extractOnly = true;
    ApplyConfiguration(L"[main]\nSfxProgressVisible=0\nShowUnzipLanguageDlg=0\n", m_settings, m_uiText);
    EXPECT_TRUE(m_settings.m_progressVisible);
    EXPECT_FALSE(m_settings.m_showLanguageDlg);
}

TEST_F(Configuration, CultureKeyReplacesTheCommandLineCulture) {
    m_uiText.SetCulture(L"de-DE");
    m_settings.m_languageFixed = true;
    ApplyConfiguration(L"[main]\nCulture=fr-FR\n", m_settings, m_uiText);
    EXPECT_EQ(m_uiText.Culture(), L"fr-FR");
    EXPECT_TRUE(m_settings.m_languageFixed);

    ApplyConfiguration(L"[main]\nCulture=xx-XX\n", m_settings, m_uiText);  // unknown: nothing changes
    EXPECT_EQ(m_uiText.Culture(), L"fr-FR");
}

TEST_F(Configuration, LanguageSectionsOverrideThreeTexts) {
    ApplyConfiguration(
        L"[LANG_de-DE]\nProgressTitle=%d %% entpackt\nProgressText=Vorbereitung\nStartSetup=\n"
        L"[ lang_fr-fr ]\nStartSetup=D\u00e9marrage\n[LANGUAGE]\nProgressTitle=no\n"
        L"[main]\nProgressTitle=no\n[LANG_it-IT]\nProductName=Prodotto\n",
        m_settings, m_uiText);
    // Read back in English tables, so that only an override can differ.
    m_uiText.SetLanguage(L"de-DE", 9);
    EXPECT_EQ(m_uiText.LoadUiString(IDS_PROGRESS_TITLE), L"%d %% entpackt");
    EXPECT_EQ(m_uiText.LoadUiString(IDS_PREPARING), L"Vorbereitung");
    EXPECT_EQ(m_uiText.LoadUiString(IDS_STARTING_SETUP), L"Starting installation...");  // empty: no override

    m_uiText.SetLanguage(L"FR-FR", 9);
    EXPECT_EQ(m_uiText.LoadUiString(IDS_STARTING_SETUP), L"D\u00e9marrage");
    EXPECT_EQ(m_uiText.LoadUiString(IDS_PROGRESS_TITLE), L"%d %% Extracting...");
    for (const wchar_t* culture : {L"it-IT", L"", L"LANGUAGE"}) {
        m_uiText.SetLanguage(culture, 9);
        EXPECT_EQ(m_uiText.LoadUiString(IDS_PROGRESS_TITLE), L"%d %% Extracting...") << culture;
    }
}

TEST_F(Configuration, ReadingAFileWithoutABlockFails) {
    // The test program carries no block, like a stub with nothing appended.
    const HRESULT opened = m_ownFile.OpenRunningImage();
    ASSERT_EQ(S_OK, opened);
    EXPECT_TRUE(ReadConfiguration(opened, m_ownFile, m_settings, m_uiText).Failed());
}
