// overrun.exe none|stack|copy: writes 64 bytes into an 8-byte stack buffer,
// either byte by byte (the stack protector must notice on return) or with
// memcpy (the checked copy must notice before writing); "none" writes 8.
// Built with the stub's hardening flags; a working protection ends the process
// with STATUS_STACK_BUFFER_OVERRUN (0xC0000409). Exit 0 means no overrun was
// noticed, 2 a usage error.
#include <windows.h>

#include <cstring>
#include <cwchar>

#include "orelib/win32/StackGuard.h"

namespace {

char g_text[64];
volatile size_t g_length = sizeof(g_text);  // unknown to the compiler

__attribute__((noinline)) void OverrunByBytes() {
    char buffer[8];
    volatile char* out = buffer;
    for (size_t i = 0; i < g_length; ++i) out[i] = g_text[i];
}

__attribute__((noinline)) void OverrunByCopy() {
    char buffer[8];
    std::memcpy(buffer, g_text, g_length);
    volatile char sink = buffer[0];
    (void)sink;
}

}  // namespace

// Unprotected: it changes the guard.
__attribute__((no_stack_protector)) int wmain(int argc, wchar_t** argv) {
    std::memset(g_text, 'A', sizeof(g_text));
    orelib::SeedStackGuard();
    if (argc == 2 && std::wcscmp(argv[1], L"none") == 0) {
        g_length = 8;
        OverrunByBytes();
        OverrunByCopy();
    } else if (argc == 2 && std::wcscmp(argv[1], L"stack") == 0) {
        OverrunByBytes();
    } else if (argc == 2 && std::wcscmp(argv[1], L"copy") == 0) {
        OverrunByCopy();
    } else {
        std::fwprintf(stderr, L"usage: overrun none|stack|copy\n");
        return 2;
    }
    return 0;
}
