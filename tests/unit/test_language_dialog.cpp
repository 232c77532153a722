// The language dialog run for real (modal, on the test display) with a
// scripted user, and the language step of start-up in its silent forms.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "app/App.h"
#include "app/Languages.h"
#include "app/UnzipLanguageDlg.h"
#include "tests/unit/RunFixture.h"
#include "resources/resource.h"
#include "Layers.h"

namespace {

constexpr UINT kCheckAndPress = WM_APP + 100;

// Records what the user would see once the dialog is up, optionally picks
// another item, then presses a button.
class CScriptedLanguageDlg : public CUnzipLanguageDlg {
public:
    CScriptedLanguageDlg(const orelib::CUiText& uiText, const orelib::CultureNameMap& names, std::wstring culture,
                         UINT button, int pickItem = -1)
        : CUnzipLanguageDlg(nullptr, names, std::move(culture), uiText), m_button(button), m_pickItem(pickItem) {}

    std::vector<std::wstring> items;
    int selection = -2;
    std::wstring title, prompt, okText, cancelText;
    BOOL initResult = TRUE;
    bool comboHadFocus = false;
    bool hasSmallIcon = false;

protected:
    BOOL OnInitDialog() override {
        initResult = CUnzipLanguageDlg::OnInitDialog();
        const HWND combo = GetDlgItem(IDC_LANGUAGE_COMBO);
        const LRESULT count = ::SendMessageW(combo, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring text(static_cast<size_t>(::SendMessageW(combo, CB_GETLBTEXTLEN, i, 0)), L'\0');
            std::vector<wchar_t> buffer(text.size() + 1);
            ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer.data()));
            items.emplace_back(buffer.data());
        }
        selection = static_cast<int>(::SendMessageW(combo, CB_GETCURSEL, 0, 0));
        title = GetWindowText();
        prompt = GetDlgItemText(IDC_LANGUAGE_PROMPT);
        okText = GetDlgItemText(IDOK);
        cancelText = GetDlgItemText(IDCANCEL);
        hasSmallIcon = SendMessage(WM_GETICON, ICON_SMALL, 0) != 0;
        PostMessage(kCheckAndPress);
        return initResult;
    }

    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == kCheckAndPress) {
            const HWND combo = GetDlgItem(IDC_LANGUAGE_COMBO);
            comboHadFocus = GetFocus() == combo;
            if (m_pickItem >= 0) ::SendMessageW(combo, CB_SETCURSEL, m_pickItem, 0);
            PostMessage(WM_COMMAND, MAKEWPARAM(m_button, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(static_cast<int>(m_button))));
            result = 0;
            return true;
        }
        return CUnzipLanguageDlg::OnMessage(message, wParam, lParam, result);
    }

private:
    UINT m_button;
    int m_pickItem;
};

const orelib::CultureNameMap kThreeLanguages = {
    {L"fr-FR", L"Fran\u00E7ais (France)"},
    {L"en-US", L"English (United States)"},
    {L"de-DE", L"Deutsch (Deutschland)"},
};

orelib::CIniText ParseIni(const std::wstring& text) {
    orelib::CIniText ini;
    ini.Parse(text);
    return ini;
}

}  // namespace

using LanguageDialog = RunTest;
using LanguageStep = RunTest;

TEST_F(LanguageDialog, ShowsSortedNamesAndPreselectsTheDefault) {
    CScriptedLanguageDlg dialog(m_uiText, kThreeLanguages, L"fr-FR", IDOK);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.items, (std::vector<std::wstring>{L"Deutsch (Deutschland)", L"English (United States)",
                                                       L"Fran\u00E7ais (France)"}));
    EXPECT_EQ(dialog.selection, 2);
    EXPECT_EQ(dialog.GetSelectedCulture(), L"fr-FR");
    EXPECT_FALSE(dialog.initResult);
    EXPECT_TRUE(dialog.comboHadFocus);
    EXPECT_TRUE(dialog.hasSmallIcon);
}

TEST_F(LanguageDialog, TextsComeFromTheStringTable) {
    {
        CScriptedLanguageDlg dialog(m_uiText, kThreeLanguages, L"en-US", IDOK);
        ASSERT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.title, L"Installation Language");
        EXPECT_EQ(dialog.prompt, L"Please select the language that you would like to use during the installation.");
        EXPECT_EQ(dialog.okText, L"OK");
        EXPECT_EQ(dialog.cancelText, L"Cancel");
    }
    m_uiText.SetLanguage(L"de-DE", 1031);
    CScriptedLanguageDlg dialog(m_uiText, kThreeLanguages, L"de-DE", IDOK);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.title, L"Installationssprache");
    EXPECT_EQ(dialog.cancelText, L"Abbrechen");
}

TEST_F(LanguageDialog, TheUsersPickBecomesTheCulture) {
    CScriptedLanguageDlg dialog(m_uiText, kThreeLanguages, L"fr-FR", IDOK, 1);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetSelectedCulture(), L"en-US");
}

TEST_F(LanguageDialog, UnknownPreselectionSelectsTheFirstItem) {
    CScriptedLanguageDlg dialog(m_uiText, kThreeLanguages, L"it-IT", IDOK);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.selection, 0);
    EXPECT_EQ(dialog.GetSelectedCulture(), L"de-DE");
}

TEST_F(LanguageDialog, CultureWithoutNameIsAnEmptyLine) {
    orelib::CultureNameMap names = kThreeLanguages;
    names[L"xx-YY"] = L"";
    CScriptedLanguageDlg dialog(m_uiText, names, L"xx-YY", IDOK);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    ASSERT_EQ(dialog.items.size(), 4u);
    EXPECT_EQ(dialog.items[0], L"");
    EXPECT_EQ(dialog.GetSelectedCulture(), L"xx-YY");
}

TEST_F(LanguageDialog, CancelEndsWithIdCancel) {
    CScriptedLanguageDlg dialog(m_uiText, kThreeLanguages, L"de-DE", IDCANCEL);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(LanguageStep, UserCultureIsLanguageDashCountry) {
    const std::wstring culture = GetUserCulture();
    ASSERT_GE(culture.size(), 4u) << "Wine names the user's locale";
    const size_t dash = culture.find(L'-');
    ASSERT_NE(dash, std::wstring::npos);
    EXPECT_GE(dash, 2u);
    EXPECT_GE(culture.size() - dash - 1, 2u);
}

TEST_F(LanguageStep, WithoutLanguageSectionsNothingChanges) {
    m_settings.m_config = ParseIni(L"[main]\nProductName=Main\n");
    m_uiText.SetLanguage(L"fr-FR", 1036);
    m_settings.m_productName = L"Main";
    EXPECT_FALSE(SelectLanguage(m_settings, m_uiText).Failed());
    EXPECT_EQ(m_uiText.Culture(), L"fr-FR");
    EXPECT_EQ(m_uiText.LangId(), 1036);
    EXPECT_EQ(m_settings.m_productName, L"Main");
}

TEST_F(LanguageStep, QuietRunTakesTheDefaultWithItsProductName) {
    // No language a Wine user prefers: the first section is the default.
    m_settings.m_config =
        ParseIni(L"[main]\nProductName=Main\n[LANG_it-IT]\nProductName=Prodotto\n[LANG_fr-FR]\nProductName=Produit\n");
    m_settings.m_productName = L"Main";
    m_settings.m_quiet = true;
    m_settings.m_showLanguageDlg = true;
    m_settings.m_languageFixed = false;
    m_uiText.SetLanguage(L"", 9);
    EXPECT_FALSE(SelectLanguage(m_settings, m_uiText).Failed());
    EXPECT_EQ(m_uiText.Culture(), L"it-IT");
    EXPECT_EQ(m_uiText.LangId(), 1040);
    EXPECT_EQ(m_settings.m_productName, L"Prodotto");
}

TEST_F(LanguageStep, FixedLanguageKeepsItsCultureAndTakesItsProductName) {
    m_settings.m_config = ParseIni(L"[LANG_it-IT]\nProductName=Prodotto\n[LANG_de-DE]\nProductName=Produkt\n");
    m_settings.m_productName = L"";
    SetQuiet(false);
    m_settings.m_showLanguageDlg = true;  // would show the dialog if the language were not fixed
    m_settings.m_languageFixed = true;
    m_uiText.SetLanguage(L"de-DE", 1031);
    EXPECT_FALSE(SelectLanguage(m_settings, m_uiText).Failed());
    EXPECT_EQ(m_uiText.Culture(), L"de-DE");
    EXPECT_EQ(m_settings.m_productName, L"Produkt");
}

TEST_F(LanguageStep, EmptyProductNameKeepsTheMainOne) {
    m_settings.m_config = ParseIni(L"[LANG_it-IT]\nProductName=\nSetupParams=/it\n");
    m_settings.m_productName = L"Main";
    SetQuiet(false);
    m_settings.m_showLanguageDlg = false;  // ShowUnzipLanguageDlg=0: no dialog
    m_settings.m_languageFixed = false;
    EXPECT_FALSE(SelectLanguage(m_settings, m_uiText).Failed());
    EXPECT_EQ(m_uiText.Culture(), L"it-IT");
    EXPECT_EQ(m_settings.m_productName, L"Main");
}
