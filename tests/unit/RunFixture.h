#pragma once
// Base fixture for tests of start-up steps and dialogs: a run's settings,
// texts, own file and folder owner of the test's own, quiet by default so
// that no message box waits for an answer. The application object's message
// boxes follow m_settings.m_quiet through SetQuiet.
#include <gtest/gtest.h>

#include "app/App.h"
#include "Layers.h"

// The test's door to the application object's settings, which only start-up
// writes in the stub.
namespace app {
class CAppTestAccess {
public:
    static dialog::CRunSettings& Settings() { return theApp.m_settings; }
};
}  // namespace app

class RunTest : public testing::Test {
protected:
    void SetUp() override { SetQuiet(true); }
    void TearDown() override { CAppTestAccess::Settings().m_quiet = true; }

    // Quiet mode for the run and the framework's message boxes alike (which
    // return 0 when quiet).
    void SetQuiet(bool quiet) {
        m_settings.m_quiet = quiet;
        CAppTestAccess::Settings().m_quiet = quiet;
    }

    CRunSettings m_settings;
    orelib::CUiText m_uiText;
    orelib::COwnFile m_ownFile;
    orelib::CWorkingFolder m_ownedFolder;
};
