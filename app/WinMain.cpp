// The stub's entry point: protects the process, then makes the application
// object and runs it.
//
// The protections run first thing here rather than from an entry point of our
// own ahead of the runtime's: nothing that runs before wWinMain loads a DLL or
// calls user32 or another delay-loaded library. That is the runtime's start-up
// (TLS callbacks, pseudo-relocations, the command line from msvcrt) and the
// static constructors in the image's .ctors: the archive library registering
// its formats and codecs and building its AES tables, its look-up of two
// kernel32 functions (kernel32 is loaded), the C++ runtime's emergency
// exception pool, and the unwind-frame registration, which asks for libgcc's
// DLL only when it is loaded already. Code of ours has no static constructor.
// A constructor added to the link later shows up in the link map's .ctors.
#include <windows.h>

#include <cstdlib>

#include "app/App.h"
#include "app/ProtectProcess.h"

// The runtime's default terminate handler prints a demangled type name to a
// console the stub does not have; replacing it drops the demangler from the
// image (about 45 KB of every download).
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace {

// A frame of its own: the application object lives in it, and its stack
// guard is checked against the value the protections seeded.
__attribute__((noinline)) int RunApplication() {
    app::CApp application;
    return application.Run();
}

}  // namespace

// Without the stack protector: the guard's value changes while this frame
// is live.
__attribute__((no_stack_protector)) int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    app::ProtectProcess();
    return RunApplication();
}
