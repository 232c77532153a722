#include "orelib/win32/ErrorText.h"

#include <windows.h>

#include "orelib/NumberText.h"
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
    // Codes above 0xFFFF are HRESULTs, read in hex; smaller ones are Win32 error numbers.
    const std::wstring number = code > 0xFFFF ? L"0x" + HexText(code, 1) : DecimalText(code);
    return GetSystemErrorText(code) + L" (" + number + L")";
}

}  // namespace orelib
