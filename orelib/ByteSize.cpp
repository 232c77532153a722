#include "orelib/ByteSize.h"

#include "orelib/NumberText.h"

namespace orelib {

namespace {

constexpr uint64_t kOneMegabyte = 1ull << 20;
constexpr uint64_t kOneGigabyte = 1ull << 30;
constexpr uint64_t kOneTerabyte = 1ull << 40;

const wchar_t* const kEnglishUnits[4] = {L"KB", L"MB", L"GB", L"TB"};

// The number with a "." point whatever the locale, then " " and the unit. The
// unit is appended as text, so a translated unit with "%" in it is harmless.
std::wstring FormatNumber(double value, int decimals, const std::wstring& unit) {
    return FixedText(value, decimals) + L" " + unit;
}

}  // namespace

std::wstring FormatByteSize(uint64_t bytes, const std::vector<std::wstring>& units) {
    std::vector<std::wstring> names(units);
    if (names.empty()) names.assign(std::begin(kEnglishUnits), std::end(kEnglishUnits));
    names.resize(4);

    const double value = static_cast<double>(bytes);  // unsigned: 2^63 and above stay positive
    const double kilobytes = value * (1.0 / 1024);
    if (kilobytes < 0.1) return L"0 " + names[0];
    if (bytes < kOneMegabyte) return FormatNumber(kilobytes, 1, names[0]);
    if (bytes < kOneGigabyte) return FormatNumber(value / kOneMegabyte, 1, names[1]);
    if (bytes < kOneTerabyte) return FormatNumber(value / kOneGigabyte, 2, names[2]);
    return FormatNumber(value / kOneTerabyte, 2, names[3]);
}

}  // namespace orelib
