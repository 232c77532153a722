// Entry point of the stub's unit tests, run under Wine.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "orelib/win32/CommonControls.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // The stub imports no comctl32 and loads it at start-up (version 6 through
    // the manifest); the tests run with it loaded the same way.
    const INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES};
    orelib::CallInitCommonControlsEx(&controls);
    return RUN_ALL_TESTS();
}
