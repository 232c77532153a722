#include "orelib/win32/ErrorText.h"

#include <windows.h>

#include <cwchar>

#include "orelib/Text.h"

namespace orelib {

std::wstring GetSystemErrorText(uint32_t code) {
    wchar_t buffer[1024];
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                                        buffer, 1024, nullptr);
    std::wstring text(buffer, length);
    TrimRight(text);
    return text;
}

std::wstring FormatErrorText(uint32_t code) {
    wchar_t number[24];
    if (code > 0xFFFF) {
        std::swprintf(number, 24, L" (0x%X)", code);
    } else {
        std::swprintf(number, 24, L" (%d)", static_cast<int>(code));
    }
    return GetSystemErrorText(code) + number;
}

}  // namespace orelib
