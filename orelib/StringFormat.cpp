#include "orelib/StringFormat.h"

namespace orelib {

std::wstring FormatOneString(const std::wstring& format, const std::wstring& value) {
    std::wstring text;
    text.reserve(format.size() + value.size());
    bool substituted = false;
    for (size_t i = 0; i < format.size(); ++i) {
        const wchar_t c = format[i];
        const wchar_t next = i + 1 < format.size() ? format[i + 1] : L'\0';
        if (c == L'%' && next == L'%') {
            text += L'%';
            ++i;
        } else if (c == L'%' && next == L's' && !substituted) {
            text += value;
            substituted = true;
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace orelib
