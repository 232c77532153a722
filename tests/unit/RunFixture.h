#pragma once
// Base fixture for tests of start-up steps and dialogs: a run's settings,
// texts, own file and folder owner of the test's own, quiet by default so
// that no message box waits for an answer.
#include <gtest/gtest.h>

#include "dialog/RunSettings.h"
#include "orelib/win32/OwnFile.h"
#include "orelib/win32/UiText.h"
#include "orelib/win32/WorkingFolder.h"
#include "Layers.h"

class RunTest : public testing::Test {
protected:
    void SetUp() override { SetQuiet(true); }

    // Quiet mode for the run and its message boxes alike (which return 0
    // when quiet).
    void SetQuiet(bool quiet) { m_settings.m_quiet = quiet; }

    CRunSettings m_settings;
    orelib::CUiText m_uiText;
    orelib::COwnFile m_ownFile;
    orelib::CWorkingFolder m_ownedFolder;
};
