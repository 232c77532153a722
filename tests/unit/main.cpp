// Entry point of the stub's unit tests, run under Wine.
#include <gtest/gtest.h>

#include "app/App.h"

// The tests link the stub's code, which reads the one application object.
CApp theApp;

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
