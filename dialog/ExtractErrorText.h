#pragma once
// The text of the extraction error message, built from the worker's error
// record. Pure text work: the caller looks up the translated texts and the
// system's text for the code.
#include <cstdint>
#include <string>

namespace dialog {

struct ExtractErrorTexts {
    std::wstring corrupted;      // for a damaged archive
    std::wstring extractFailed;  // the heading of every other error
    std::wstring systemText;     // the system's text for the code, with the code (system errors)
};

// kind 0: the corrupted text alone; kind 1: heading, system text and the
// path if any; any other kind: heading, the message if any and the code in
// hex if not 0.
std::wstring BuildExtractErrorText(int kind, uint32_t code, const std::wstring& message, const std::wstring& path,
                                   const ExtractErrorTexts& texts);

// " (0x%08X)" without a printf call.
std::wstring FormatHexCode(uint32_t code);

}  // namespace dialog
