#include "dialog/ExtractErrorText.h"

#include "extract/ExtractParams.h"

namespace dialog {

using namespace extract;

namespace {
constexpr wchar_t kBlankLine[] = L"\n\n";
}  // namespace

std::wstring FormatHexCode(uint32_t code) {
    static constexpr wchar_t kDigits[] = L"0123456789ABCDEF";
    std::wstring text = L" (0x";
    for (int shift = 28; shift >= 0; shift -= 4) text += kDigits[(code >> shift) & 0xF];
    text += L')';
    return text;
}

std::wstring BuildExtractErrorText(int kind, uint32_t code, const std::wstring& message, const std::wstring& path,
                                   const ExtractErrorTexts& texts) {
    if (kind == kExtractErrorDamaged) return texts.corrupted;
    std::wstring text = texts.extractFailed;
    if (kind == kExtractErrorSystem) {
        text += kBlankLine;
        text += texts.systemText;
        if (!path.empty()) {
            text += kBlankLine;
            text += path;
        }
        return text;
    }
    if (!message.empty()) {
        text += kBlankLine;
        text += message;
    }
    if (code != 0) text += FormatHexCode(code);
    return text;
}

}  // namespace dialog
