#pragma once
// Command lines of started programs: quoting one argument so that the
// runtime's parser (CommandLineToArgvW) gives it back unchanged, appending
// arguments, and finding where the own arguments start after the program name.
#include <string>

namespace orelib {

// "" for an empty text. Otherwise quotes are escaped with a backslash, and a
// text with a blank, tab, CR or LF is enclosed in quotes. Backslashes are
// doubled exactly where the parser would read them as escapes: before a
// quote, and at the end of an enclosed text.
std::wstring QuoteArgument(const std::wstring& text);

// One blank if the line is not empty, then QuoteArgument(text).
void AppendArgument(std::wstring& line, const std::wstring& text);

// One blank if the line is not empty, then the text unchanged.
void AppendRawArguments(std::wstring& line, const std::wstring& text);

// The part of a process command line after the program name, as a pointer
// into it (to its terminating NUL when there is none), split where the
// runtime's parser splits it: a quoted program name ends at the next quote,
// an unquoted one at the first blank or tab after its first character. One
// blank or tab right after the name is skipped too. Null or empty lines give "".
const wchar_t* SkipProgramName(const wchar_t* commandLine);

// The arguments text without the self-extractor's own switches "/l <culture>",
// "/x [<folder>]" and "/?" (also written with "-", in any case), each taken
// with the blanks before it. Arguments are split as the runtime's parser
// splits them; everything else stays exactly as typed.
std::wstring RemoveOwnSwitches(const std::wstring& arguments);

}  // namespace orelib
