// UI text lookup order and culture changes.
#include <gtest/gtest.h>

#include "app/UiText.h"
#include "resources/resource.h"
#include "tests/unit/AppStateGuard.h"

using UiText = AppTest;

TEST_F(UiText, EnglishTableIsTheReference) {
    EXPECT_EQ(LoadUiString(IDS_OK), L"OK");
    EXPECT_EQ(LoadUiString(IDS_CANCEL), L"Cancel");
    EXPECT_EQ(LoadUiString(IDS_DELETING_FILES), L"Deleting temporary files...");
    EXPECT_EQ(LoadUiString(IDS_PROGRESS_TITLE), L"%d %% Extracting...");
    EXPECT_EQ(LoadUiString(IDS_CORRUPTED),
              L"The setup file is corrupted. If you downloaded this file from the internet, please "
              L"download it again.");
    EXPECT_EQ(LoadUiString(IDS_SIZE_MISMATCH), L"Expected file size: %I64d\nActual file size: %I64d.");
    EXPECT_EQ(LoadUiString(IDS_USAGE),
              L"Usage: setup.exe [parameter]\n\nParameter:\n/? show help\n/x [folderpath]\n\nIf "
              L"folderpath was set, files will be extracted to. If it was not set, files will be "
              L"extracted to current folder.");
    EXPECT_EQ(LoadUiString(IDS_LANGUAGE_PROMPT),
              L"Please select the language that you would like to use during the installation.");
    EXPECT_EQ(LoadUiString(IDS_APP_TITLE), L"Setup Self-Extractor");
}

TEST_F(UiText, MissingIdsShowAPlaceholder) {
    EXPECT_EQ(LoadUiString(999), L"[StrID:999]");
    EXPECT_EQ(LoadUiString(141), L"[StrID:141]");  // a gap inside an existing block
    EXPECT_EQ(LoadUiString(0), L"[StrID:0]");
    theApp.m_langId = 1031;
    EXPECT_EQ(LoadUiString(999), L"[StrID:999]");
}

TEST_F(UiText, UnknownLanguageFallsBackToEnglish) {
    theApp.m_langId = 0x0436;  // a language the program has no table for
    EXPECT_EQ(LoadUiString(IDS_OK), L"OK");
    EXPECT_EQ(LoadUiString(IDS_STARTING_SETUP), L"Starting installation...");
}

TEST_F(UiText, OverridesApplyToTheirCultureOnly) {
    theApp.m_stringOverrides[L"de-DE"][IDS_PROGRESS_TITLE] = L"%d %% Entpacken";
    theApp.m_stringOverrides[L"de-DE"][IDS_PREPARING] = L"";  // empty: not an override

    theApp.m_culture = L"DE-de";  // any letter case
    theApp.m_langId = 9;
    EXPECT_EQ(LoadUiString(IDS_PROGRESS_TITLE), L"%d %% Entpacken");
    EXPECT_EQ(LoadUiString(IDS_PREPARING), L"Preparing files for installation...");
    EXPECT_EQ(LoadUiString(IDS_STARTING_SETUP), L"Starting installation...");

    theApp.m_culture = L"de-AT";
    EXPECT_EQ(LoadUiString(IDS_PROGRESS_TITLE), L"%d %% Extracting...");
    theApp.m_culture = L"";
    EXPECT_EQ(LoadUiString(IDS_PROGRESS_TITLE), L"%d %% Extracting...");
}

TEST_F(UiText, ChosenLanguageComesBeforeEnglish) {
    theApp.m_langId = 1031;
    EXPECT_EQ(LoadUiString(IDS_CANCEL), L"Abbrechen");
    SetCulture(L"fr-FR");
    EXPECT_EQ(LoadUiString(IDS_CANCEL), L"Annuler");
    // An override wins over the table of its culture.
    theApp.m_stringOverrides[L"fr-fr"][IDS_CANCEL] = L"Arr\u00EAter";
    EXPECT_EQ(LoadUiString(IDS_CANCEL), L"Arr\u00EAter");
}

TEST_F(UiText, SetCultureKnownNames) {
    SetCulture(L"de-DE");
    EXPECT_EQ(theApp.m_culture, L"de-DE");
    EXPECT_EQ(theApp.m_langId, 1031);
    SetCulture(L"fr-FR");
    EXPECT_EQ(theApp.m_culture, L"fr-FR");
    EXPECT_EQ(theApp.m_langId, 1036);
    SetCulture(L"nb-NO");
    EXPECT_EQ(theApp.m_langId, 1044);
    SetCulture(L"en-US");
    EXPECT_EQ(theApp.m_culture, L"en-US");
    EXPECT_EQ(theApp.m_langId, 1033);
    SetCulture(L"zh-TW");
    EXPECT_EQ(theApp.m_langId, 1028);
}

TEST_F(UiText, SetCultureIgnoresUnknownNames) {
    SetCulture(L"de-DE");
    for (const wchar_t* name : {L"xx-XX", L"en-II", L"", L"not a culture", L"de-DE-extra-long-name"}) {
        SetCulture(name);
        EXPECT_EQ(theApp.m_culture, L"de-DE") << name;
        EXPECT_EQ(theApp.m_langId, 1031) << name;
    }
}
