#include "orelib/CommandLine.h"

#include <cwchar>

namespace orelib {

namespace {

bool NeedsEnclosingQuotes(const std::wstring& text) {
    return text.find_first_of(L" \t\r\n") != std::wstring::npos;
}

}  // namespace

std::wstring QuoteArgument(const std::wstring& text) {
    if (text.empty()) return L"\"\"";
    const bool enclose = NeedsEnclosingQuotes(text);

    std::wstring result;
    if (enclose) result += L'"';
    size_t backslashes = 0;  // run of backslashes not yet written
    for (const wchar_t c : text) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        if (c == L'"') {
            // Each backslash before a quote must be doubled, then the quote escaped.
            result.append(backslashes * 2, L'\\');
            result += L"\\\"";
        } else {
            result.append(backslashes, L'\\');
            result += c;
        }
        backslashes = 0;
    }
    // Before the closing quote the run is doubled too, or it would escape it.
    result.append(enclose ? backslashes * 2 : backslashes, L'\\');
    if (enclose) result += L'"';
    return result;
}

void AppendArgument(std::wstring& line, const std::wstring& text) {
    if (!line.empty()) line += L' ';
    line += QuoteArgument(text);
}

void AppendRawArguments(std::wstring& line, const std::wstring& text) {
    if (!line.empty()) line += L' ';
    line += text;
}

const wchar_t* SkipProgramName(const wchar_t* commandLine) {
    if (!commandLine) return L"";
    const wchar_t* end = commandLine + std::wcslen(commandLine);
    if (commandLine == end) return end;
    if (commandLine[0] == L'"') {
        const wchar_t* closing = std::wcschr(commandLine + 1, L'"');
        if (!closing || closing[1] == L'\0') return end;
        return closing + 2;
    }
    const wchar_t* blank = std::wcschr(commandLine + 1, L' ');
    return blank ? blank + 1 : end;
}

}  // namespace orelib
