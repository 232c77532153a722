// UI text lookup order and culture changes.
#include <gtest/gtest.h>

#include "orelib/win32/UiText.h"
#include "resources/resource.h"
#include "tests/unit/RunFixture.h"

using UiText = RunTest;

TEST_F(UiText, EnglishTableIsTheReference) {
    EXPECT_EQ(m_uiText.LoadUiString(IDS_OK), L"OK");
    EXPECT_EQ(m_uiText.LoadUiString(IDS_CANCEL), L"Cancel");
    EXPECT_EQ(m_uiText.LoadUiString(IDS_DELETING_FILES), L"Deleting temporary files...");
    EXPECT_EQ(m_uiText.LoadUiString(IDS_PROGRESS_TITLE), L"%d %% Extracting...");
    EXPECT_EQ(m_uiText.LoadUiString(IDS_CORRUPTED),
              L"The setup file is corrupted. If you downloaded this file from the internet, please "
              L"download it again.");
    EXPECT_EQ(m_uiText.LoadUiString(IDS_SIZE_MISMATCH), L"Expected file size: %I64d\nActual file size: %I64d.");
    EXPECT_EQ(m_uiText.LoadUiString(IDS_USAGE),
              L"Usage: setup.exe [parameter]\n\nParameter:\n/? show help\n/x [folderpath]\n\nIf "
              L"folderpath was set, files will be extracted to. If it was not set, files will be "
              L"extracted to current folder.");
    EXPECT_EQ(m_uiText.LoadUiString(IDS_LANGUAGE_PROMPT),
              L"Please select the language that you would like to use during the installation.");
    EXPECT_EQ(m_uiText.LoadUiString(IDS_APP_TITLE), L"Setup Self-Extractor");
}

TEST_F(UiText, MissingIdsShowAPlaceholder) {
    EXPECT_EQ(m_uiText.LoadUiString(999), L"[StrID:999]");
    EXPECT_EQ(m_uiText.LoadUiString(141), L"[StrID:141]");  // a gap inside an existing block
    EXPECT_EQ(m_uiText.LoadUiString(0), L"[StrID:0]");
    m_uiText.SetLanguage(m_uiText.Culture(), 1031);
    EXPECT_EQ(m_uiText.LoadUiString(999), L"[StrID:999]");
}

TEST_F(UiText, UnknownLanguageFallsBackToEnglish) {
    m_uiText.SetLanguage(m_uiText.Culture(), 0x0436);  // a language the program has no table for
    EXPECT_EQ(m_uiText.LoadUiString(IDS_OK), L"OK");
    EXPECT_EQ(m_uiText.LoadUiString(IDS_STARTING_SETUP), L"Starting installation...");
}

TEST_F(UiText, OverridesApplyToTheirCultureOnly) {
    m_uiText.SetOverride(L"de-DE", IDS_PROGRESS_TITLE, L"%d %% Entpacken");
    m_uiText.SetOverride(L"de-DE", IDS_PREPARING, L"");  // empty: not an override

    m_uiText.SetLanguage(L"DE-de", m_uiText.LangId());  // any letter case
    m_uiText.SetLanguage(m_uiText.Culture(), 9);
    EXPECT_EQ(m_uiText.LoadUiString(IDS_PROGRESS_TITLE), L"%d %% Entpacken");
    EXPECT_EQ(m_uiText.LoadUiString(IDS_PREPARING), L"Preparing files for installation...");
    EXPECT_EQ(m_uiText.LoadUiString(IDS_STARTING_SETUP), L"Starting installation...");

    m_uiText.SetLanguage(L"de-AT", m_uiText.LangId());
    EXPECT_EQ(m_uiText.LoadUiString(IDS_PROGRESS_TITLE), L"%d %% Extracting...");
    m_uiText.SetLanguage(L"", m_uiText.LangId());
    EXPECT_EQ(m_uiText.LoadUiString(IDS_PROGRESS_TITLE), L"%d %% Extracting...");
}

TEST_F(UiText, ChosenLanguageComesBeforeEnglish) {
    m_uiText.SetLanguage(m_uiText.Culture(), 1031);
    EXPECT_EQ(m_uiText.LoadUiString(IDS_CANCEL), L"Abbrechen");
    m_uiText.SetCulture(L"fr-FR");
    EXPECT_EQ(m_uiText.LoadUiString(IDS_CANCEL), L"Annuler");
    // An override wins over the table of its culture.
    m_uiText.SetOverride(L"fr-fr", IDS_CANCEL, L"Arr\u00EAter");
    EXPECT_EQ(m_uiText.LoadUiString(IDS_CANCEL), L"Arr\u00EAter");
}

TEST_F(UiText, SetCultureKnownNames) {
    m_uiText.SetCulture(L"de-DE");
    EXPECT_EQ(m_uiText.Culture(), L"de-DE");
    EXPECT_EQ(m_uiText.LangId(), 1031);
    m_uiText.SetCulture(L"fr-FR");
    EXPECT_EQ(m_uiText.Culture(), L"fr-FR");
    EXPECT_EQ(m_uiText.LangId(), 1036);
    m_uiText.SetCulture(L"nb-NO");
    EXPECT_EQ(m_uiText.LangId(), 1044);
    m_uiText.SetCulture(L"en-US");
    EXPECT_EQ(m_uiText.Culture(), L"en-US");
    EXPECT_EQ(m_uiText.LangId(), 1033);
    m_uiText.SetCulture(L"zh-TW");
    EXPECT_EQ(m_uiText.LangId(), 1028);
}

TEST_F(UiText, SetCultureIgnoresUnknownNames) {
    m_uiText.SetCulture(L"de-DE");
    for (const wchar_t* name : {L"xx-XX", L"en-II", L"", L"not a culture", L"de-DE-extra-long-name"}) {
        m_uiText.SetCulture(name);
        EXPECT_EQ(m_uiText.Culture(), L"de-DE") << name;
        EXPECT_EQ(m_uiText.LangId(), 1031) << name;
    }
}
