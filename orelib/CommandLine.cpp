#include "orelib/CommandLine.h"

#include <cwchar>
#include <vector>

namespace orelib {

namespace {

bool NeedsEnclosingQuotes(const std::wstring& text) { return text.find_first_of(L" \t\r\n") != std::wstring::npos; }

bool IsArgumentBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

struct Span {
    size_t begin;
    size_t end;
};

// Where each argument stands in the text: blanks outside quotes separate
// them, and a quote preceded by an odd run of backslashes is escaped.
std::vector<Span> SplitArguments(const std::wstring& text) {
    std::vector<Span> spans;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsArgumentBlank(text[i])) ++i;
        if (i == text.size()) break;
        const size_t begin = i;
        bool quoted = false;
        size_t backslashes = 0;
        for (; i < text.size() && (quoted || !IsArgumentBlank(text[i])); ++i) {
            if (text[i] == L'\\') {
                ++backslashes;
                continue;
            }
            if (text[i] == L'"' && backslashes % 2 == 0) quoted = !quoted;
            backslashes = 0;
        }
        spans.push_back({begin, i});
    }
    return spans;
}

// The switch letter of "/l", "-X", "\"/?\"" (quotes do not change a word); 0 otherwise.
wchar_t SwitchLetter(const std::wstring& text, const Span& span) {
    std::wstring word;
    for (size_t i = span.begin; i < span.end; ++i) {
        if (text[i] != L'"') word += text[i];
    }
    if (word.size() != 2 || (word[0] != L'/' && word[0] != L'-')) return 0;
    const wchar_t letter = word[1] >= L'A' && word[1] <= L'Z' ? word[1] - L'A' + L'a' : word[1];
    return letter == L'l' || letter == L'x' || letter == L'?' ? letter : 0;
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
    // As the runtime splits it: a quoted name ends at its closing quote,
    // whatever follows ("setup.exe"/q is the switch /q); an unquoted one at
    // the first blank or tab. One blank or tab after the name separates.
    const wchar_t* after = nullptr;
    if (commandLine[0] == L'"') {
        const wchar_t* closing = std::wcschr(commandLine + 1, L'"');
        if (!closing) return end;
        after = closing + 1;
    } else {
        after = commandLine + 1 + std::wcscspn(commandLine + 1, L" \t");
    }
    return *after == L' ' || *after == L'\t' ? after + 1 : after;
}

std::wstring RemoveOwnSwitches(const std::wstring& arguments) {
    const std::vector<Span> spans = SplitArguments(arguments);
    std::vector<bool> removed(spans.size(), false);
    for (size_t i = 0; i < spans.size(); ++i) {
        const wchar_t letter = SwitchLetter(arguments, spans[i]);
        if (letter == 0) continue;
        removed[i] = true;
        // "/l" and "/x" take the next argument as their value, whatever it is.
        if (letter != L'?' && i + 1 < spans.size()) removed[++i] = true;
    }
    // Each removed argument goes with the blanks before it.
    std::wstring result;
    size_t copied = 0;
    for (size_t i = 0; i < spans.size(); ++i) {
        if (!removed[i]) continue;
        const size_t from = i == 0 ? 0 : spans[i - 1].end;
        if (from > copied) result.append(arguments, copied, from - copied);
        copied = spans[i].end;
    }
    result.append(arguments, copied, std::wstring::npos);
    // What was first is gone: the rest starts without a blank.
    if (!removed.empty() && removed[0]) result.erase(0, result.find_first_not_of(L" \t"));
    return result;
}

}  // namespace orelib
