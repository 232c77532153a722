#include "orelib/PercentFormat.h"

namespace orelib {

std::wstring FormatOneNumber(const std::wstring& format, int value) {
    std::wstring out;
    out.reserve(format.size() + 8);
    bool numberUsed = false;
    for (size_t i = 0; i < format.size(); ++i) {
        wchar_t ch = format[i];
        if (ch == L'%' && i + 1 < format.size()) {
            wchar_t next = format[i + 1];
            if (next == L'%') {
                out += L'%';
                ++i;
                continue;
            }
            if (next == L'd' && !numberUsed) {
                out += std::to_wstring(value);
                numberUsed = true;
                ++i;
                continue;
            }
        }
        out += ch;
    }
    return out;
}

}  // namespace orelib
