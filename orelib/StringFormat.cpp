#include "orelib/StringFormat.h"

#include "orelib/NumberText.h"

namespace orelib {

std::wstring FormatWithValues(const std::wstring& format, const std::wstring& placeholder,
                              const std::vector<std::wstring>& values) {
    std::wstring text;
    text.reserve(format.size() + 16);
    size_t used = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format.compare(i, 2, L"%%") == 0) {
            text += L'%';
            ++i;
        } else if (used < values.size() && format.compare(i, placeholder.size(), placeholder) == 0) {
            text += values[used++];
            i += placeholder.size() - 1;
        } else {
            text += format[i];
        }
    }
    return text;
}

std::wstring FormatOneString(const std::wstring& format, const std::wstring& value) {
    return FormatWithValues(format, L"%s", {value});
}

std::wstring FormatOneNumber(const std::wstring& format, int value) {
    return FormatWithValues(format, L"%d", {DecimalText(value)});
}

}  // namespace orelib
