#include "orelib/ByteSize.h"

#include <clocale>
#include <cstdio>
#include <cstring>

namespace orelib {

namespace {

constexpr uint64_t kOneMegabyte = 1ull << 20;
constexpr uint64_t kOneGigabyte = 1ull << 30;
constexpr uint64_t kOneTerabyte = 1ull << 40;

const wchar_t* const kEnglishUnits[4] = {L"KB", L"MB", L"GB", L"TB"};

// printf's text for one number, then " " and the unit. The unit is appended,
// never part of the format, so a translated unit with "%" in it is harmless.
std::wstring FormatNumber(const char* format, double value, const std::wstring& unit) {
    char buffer[64];
    int length = std::snprintf(buffer, sizeof buffer, format, value);
    if (length < 0) length = 0;
    if (length >= static_cast<int>(sizeof buffer)) length = sizeof buffer - 1;
    std::string text(buffer, static_cast<size_t>(length));

    // Start-up selects the user's locale, which may print "1,5": the size text
    // keeps the "." that every language's message expects.
    const char* point = std::localeconv()->decimal_point;
    if (point && *point && std::strcmp(point, ".") != 0) {
        const size_t at = text.find(point);
        if (at != std::string::npos) text.replace(at, std::strlen(point), ".");
    }
    return std::wstring(text.begin(), text.end()) + unit;  // ASCII digits widen as they are
}

}  // namespace

std::wstring FormatByteSize(uint64_t bytes, const std::vector<std::wstring>& units) {
    std::vector<std::wstring> names(units);
    if (names.empty()) names.assign(std::begin(kEnglishUnits), std::end(kEnglishUnits));
    names.resize(4);

    const double value = static_cast<double>(bytes);  // unsigned: 2^63 and above stay positive
    const double kilobytes = value * (1.0 / 1024);
    if (kilobytes < 0.1) return L"0 " + names[0];
    if (bytes < kOneMegabyte) return FormatNumber("%.1f ", kilobytes, names[0]);
    if (bytes < kOneGigabyte) return FormatNumber("%.1f ", value / kOneMegabyte, names[1]);
    if (bytes < kOneTerabyte) return FormatNumber("%.2f ", value / kOneGigabyte, names[2]);
    return FormatNumber("%.2f ", value / kOneTerabyte, names[3]);
}

}  // namespace orelib
