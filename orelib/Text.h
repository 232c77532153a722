#pragma once
// Trimming and splitting of wide text.
#include <string>

namespace orelib {

// Remove leading / trailing characters the runtime counts as wide white space.
void TrimLeft(std::wstring& text);
void TrimRight(std::wstring& text);
void Trim(std::wstring& text);

// Splits at the first `separator`: true with both parts when it occurs in a
// non-empty text; otherwise false, `left` = the whole text and `right` = "".
// With `trim` both parts lose surrounding white space. Null outputs are skipped.
bool SplitAtChar(const std::wstring& text, std::wstring* left, std::wstring* right, wchar_t separator, bool trim);

}  // namespace orelib
