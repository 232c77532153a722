// The stub's entry point: hands control to the one application object.
#include <cstdlib>

#include "framework/WinApp.h"

// The runtime's default terminate handler prints a demangled type name to a
// console the stub does not have; replacing it drops the demangler from the
// image (about 45 KB of every download).
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return framework::AfxWinMain(); }
