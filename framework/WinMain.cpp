// The stub's entry point: hands control to the one application object.
#include "framework/WinApp.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return framework::AfxWinMain(); }
