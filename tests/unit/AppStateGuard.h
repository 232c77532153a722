#pragma once
// Puts the application object back as it was when a test leaves it, so tests
// that drive start-up steps on theApp stay independent.
#include "app/App.h"

class CAppStateGuard {
public:
    CAppStateGuard()
        : m_overrides(theApp.m_stringOverrides), m_culture(theApp.m_culture), m_langId(theApp.m_langId),
          m_config(theApp.m_config), m_extractOnly(theApp.m_extractOnly),
          m_workingFolder(theApp.m_workingFolder), m_quiet(theApp.m_quiet),
          m_languageFixed(theApp.m_languageFixed), m_showLanguageDlg(theApp.m_showLanguageDlg),
          m_productName(theApp.m_productName), m_progressVisible(theApp.m_progressVisible),
          m_progressPretty(theApp.m_progressPretty), m_exitCode(theApp.m_exitCode) {}
    ~CAppStateGuard() {
        theApp.m_stringOverrides = m_overrides;
        theApp.m_culture = m_culture;
        theApp.m_langId = m_langId;
        theApp.m_config = m_config;
        theApp.m_extractOnly = m_extractOnly;
        theApp.m_workingFolder = m_workingFolder;
        theApp.m_quiet = m_quiet;
        theApp.m_languageFixed = m_languageFixed;
        theApp.m_showLanguageDlg = m_showLanguageDlg;
        theApp.m_productName = m_productName;
        theApp.m_progressVisible = m_progressVisible;
        theApp.m_progressPretty = m_progressPretty;
        theApp.m_exitCode = m_exitCode;
        theApp.m_ownedFolder.Delete();  // a test's folder never outlives it
    }

    // The state right after construction.
    static void ResetApp() {
        theApp.m_stringOverrides.clear();
        theApp.m_culture.clear();
        theApp.m_langId = 9;
        theApp.m_config = orelib::CIniText();
        theApp.m_extractOnly = false;
        theApp.m_workingFolder.clear();
        theApp.m_quiet = true;  // tests never show message boxes
        theApp.m_languageFixed = false;
        theApp.m_showLanguageDlg = false;
        theApp.m_productName.clear();
        theApp.m_progressVisible = true;
        theApp.m_progressPretty = false;
        theApp.m_exitCode = 0;
        theApp.m_ownedFolder.Delete();
    }

private:
    decltype(CApp::m_stringOverrides) m_overrides;
    std::wstring m_culture;
    uint16_t m_langId;
    orelib::CIniText m_config;
    bool m_extractOnly;
    std::wstring m_workingFolder;
    bool m_quiet;
    bool m_languageFixed;
    bool m_showLanguageDlg;
    std::wstring m_productName;
    bool m_progressVisible;
    bool m_progressPretty;
    uint32_t m_exitCode;
};

// Base fixture: a fresh, quiet application object for every test.
#include <gtest/gtest.h>
class AppTest : public testing::Test {
protected:
    void SetUp() override { CAppStateGuard::ResetApp(); }
    CAppStateGuard m_guard;
};
