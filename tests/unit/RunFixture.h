#pragma once
// Base fixture for tests of start-up steps and dialogs: a run's settings,
// texts, own file and folder owner of the test's own, quiet by default so
// that no message box waits for an answer. The application object's message
// boxes follow m_settings.m_quiet through ShowMessageBoxes.
#include <gtest/gtest.h>

#include "app/App.h"

// The test's door to the application object's settings, which only start-up
// writes in the stub.
class CAppTestAccess {
public:
    static CRunSettings& Settings() { return theApp.m_settings; }
};

class RunTest : public testing::Test {
protected:
    void SetUp() override {
        m_settings.m_quiet = true;
        CAppTestAccess::Settings().m_quiet = true;
    }
    void TearDown() override { CAppTestAccess::Settings().m_quiet = true; }

    // Lets the framework's message boxes through (they return 0 otherwise).
    void ShowMessageBoxes() {
        m_settings.m_quiet = false;
        CAppTestAccess::Settings().m_quiet = false;
    }

    CRunSettings m_settings;
    orelib::CUiText m_uiText;
    orelib::COwnFile m_ownFile;
    orelib::CWorkingFolder m_ownedFolder;
};
