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
#include "resources/resource.h"

namespace {

constexpr UINT kCheckAndPress = WM_APP + 100;

// Records what the user would see once the dialog is up, optionally picks
// another item, then presses a button.
class CScriptedLanguageDlg : public CUnzipLanguageDlg {
public:
    CScriptedLanguageDlg(const orelib::CultureNameMap& names, std::wstring culture, UINT button,
                         int pickItem = -1)
        : CUnzipLanguageDlg(nullptr, names, std::move(culture)), m_button(button), m_pickItem(pickItem) {}

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

// Restores the application's language and run state after a test.
class AppStateGuard {
public:
    AppStateGuard()
        : m_culture(theApp.m_culture), m_langId(theApp.m_langId), m_quiet(theApp.m_quiet),
          m_fixed(theApp.m_languageFixed), m_show(theApp.m_showLanguageDlg),
          m_product(theApp.m_productName), m_config(theApp.m_config) {}
    ~AppStateGuard() {
        theApp.m_culture = m_culture;
        theApp.m_langId = m_langId;
        theApp.m_quiet = m_quiet;
        theApp.m_languageFixed = m_fixed;
        theApp.m_showLanguageDlg = m_show;
        theApp.m_productName = m_product;
        theApp.m_config = m_config;
    }

private:
    std::wstring m_culture;
    uint16_t m_langId;
    bool m_quiet, m_fixed, m_show;
    std::wstring m_product;
    orelib::CIniText m_config;
};

orelib::CIniText ParseIni(const std::wstring& text) {
    orelib::CIniText ini;
    ini.Parse(text);
    return ini;
}

}  // namespace

TEST(LanguageDialog, ShowsSortedNamesAndPreselectsTheDefault) {
    CScriptedLanguageDlg dialog(kThreeLanguages, L"fr-FR", IDOK);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.items, (std::vector<std::wstring>{L"Deutsch (Deutschland)", L"English (United States)",
                                                      L"Fran\u00E7ais (France)"}));
    EXPECT_EQ(dialog.selection, 2);
    EXPECT_EQ(dialog.GetSelectedCulture(), L"fr-FR");
    EXPECT_FALSE(dialog.initResult);
    EXPECT_TRUE(dialog.comboHadFocus);
    EXPECT_TRUE(dialog.hasSmallIcon);
}

TEST(LanguageDialog, TextsComeFromTheStringTable) {
    AppStateGuard guard;
    {
        CScriptedLanguageDlg dialog(kThreeLanguages, L"en-US", IDOK);
        ASSERT_EQ(dialog.DoModal(), IDOK);
        EXPECT_EQ(dialog.title, L"Installation Language");
        EXPECT_EQ(dialog.prompt,
                  L"Please select the language that you would like to use during the installation.");
        EXPECT_EQ(dialog.okText, L"OK");
        EXPECT_EQ(dialog.cancelText, L"Cancel");
    }
    theApp.m_culture = L"de-DE";
    theApp.m_langId = 1031;
    CScriptedLanguageDlg dialog(kThreeLanguages, L"de-DE", IDOK);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.title, L"Installationssprache");
    EXPECT_EQ(dialog.cancelText, L"Abbrechen");
}

TEST(LanguageDialog, TheUsersPickBecomesTheCulture) {
    CScriptedLanguageDlg dialog(kThreeLanguages, L"fr-FR", IDOK, 1);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.GetSelectedCulture(), L"en-US");
}

TEST(LanguageDialog, UnknownPreselectionSelectsTheFirstItem) {
    CScriptedLanguageDlg dialog(kThreeLanguages, L"it-IT", IDOK);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.selection, 0);
    EXPECT_EQ(dialog.GetSelectedCulture(), L"de-DE");
}

TEST(LanguageDialog, CultureWithoutNameIsAnEmptyLine) {
    orelib::CultureNameMap names = kThreeLanguages;
    names[L"xx-YY"] = L"";
    CScriptedLanguageDlg dialog(names, L"xx-YY", IDOK);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    ASSERT_EQ(dialog.items.size(), 4u);
    EXPECT_EQ(dialog.items[0], L"");
    EXPECT_EQ(dialog.GetSelectedCulture(), L"xx-YY");
}

TEST(LanguageDialog, CancelEndsWithIdCancel) {
    CScriptedLanguageDlg dialog(kThreeLanguages, L"de-DE", IDCANCEL);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST(LanguageStep, UserCultureIsLanguageDashCountry) {
    const std::wstring culture = GetUserCulture();
    ASSERT_GE(culture.size(), 4u) << "Wine names the user's locale";
    const size_t dash = culture.find(L'-');
    ASSERT_NE(dash, std::wstring::npos);
    EXPECT_GE(dash, 2u);
    EXPECT_GE(culture.size() - dash - 1, 2u);
}

TEST(LanguageStep, WithoutLanguageSectionsNothingChanges) {
    AppStateGuard guard;
    theApp.m_config = ParseIni(L"[main]\nProductName=Main\n");
    theApp.m_culture = L"fr-FR";
    theApp.m_langId = 1036;
    theApp.m_productName = L"Main";
    EXPECT_TRUE(theApp.SelectLanguage());
    EXPECT_EQ(theApp.m_culture, L"fr-FR");
    EXPECT_EQ(theApp.m_langId, 1036);
    EXPECT_EQ(theApp.m_productName, L"Main");
}

TEST(LanguageStep, QuietRunTakesTheDefaultWithItsProductName) {
    AppStateGuard guard;
    // No language a Wine user prefers: the first section is the default.
    theApp.m_config = ParseIni(
        L"[main]\nProductName=Main\n[LANG_it-IT]\nProductName=Prodotto\n[LANG_fr-FR]\nProductName=Produit\n");
    theApp.m_productName = L"Main";
    theApp.m_quiet = true;
    theApp.m_showLanguageDlg = true;
    theApp.m_languageFixed = false;
    theApp.m_culture = L"";
    theApp.m_langId = 9;
    EXPECT_TRUE(theApp.SelectLanguage());
    EXPECT_EQ(theApp.m_culture, L"it-IT");
    EXPECT_EQ(theApp.m_langId, 1040);
    EXPECT_EQ(theApp.m_productName, L"Prodotto");
}

TEST(LanguageStep, FixedLanguageKeepsItsCultureAndTakesItsProductName) {
    AppStateGuard guard;
    theApp.m_config = ParseIni(L"[LANG_it-IT]\nProductName=Prodotto\n[LANG_de-DE]\nProductName=Produkt\n");
    theApp.m_productName = L"";
    theApp.m_quiet = false;
    theApp.m_showLanguageDlg = true;  // would show the dialog if the language were not fixed
    theApp.m_languageFixed = true;
    theApp.m_culture = L"de-DE";
    theApp.m_langId = 1031;
    EXPECT_TRUE(theApp.SelectLanguage());
    EXPECT_EQ(theApp.m_culture, L"de-DE");
    EXPECT_EQ(theApp.m_productName, L"Produkt");
}

TEST(LanguageStep, EmptyProductNameKeepsTheMainOne) {
    AppStateGuard guard;
    theApp.m_config = ParseIni(L"[LANG_it-IT]\nProductName=\nSetupParams=/it\n");
    theApp.m_productName = L"Main";
    theApp.m_quiet = false;
    theApp.m_showLanguageDlg = false;  // ShowUnzipLanguageDlg=0: no dialog
    theApp.m_languageFixed = false;
    EXPECT_TRUE(theApp.SelectLanguage());
    EXPECT_EQ(theApp.m_culture, L"it-IT");
    EXPECT_EQ(theApp.m_productName, L"Main");
}
