#include "orelib/Text.h"

#include <cwctype>

namespace orelib {

namespace {
bool IsSpace(wchar_t c) { return std::iswspace(static_cast<wint_t>(c)) != 0; }
}  // namespace

void TrimLeft(std::wstring& text) {
    size_t n = 0;
    while (n < text.size() && IsSpace(text[n])) ++n;
    text.erase(0, n);
}

void TrimRight(std::wstring& text) {
    size_t n = text.size();
    while (n > 0 && IsSpace(text[n - 1])) --n;
    text.erase(n);
}

void Trim(std::wstring& text) {
    TrimRight(text);
    TrimLeft(text);
}

bool SplitAtChar(const std::wstring& text, std::wstring* left, std::wstring* right, wchar_t separator, bool trim) {
    const size_t at = text.find(separator);
    const bool found = at != std::wstring::npos;
    if (left) {
        *left = found ? text.substr(0, at) : text;
        if (trim) Trim(*left);
    }
    if (right) {
        *right = found ? text.substr(at + 1) : std::wstring();
        if (trim) Trim(*right);
    }
    return found;
}

}  // namespace orelib
