#pragma once
// Numbers as text without the C run-time's formatter (which would add tens of
// kilobytes to the stub): decimal and hexadecimal integers, and a double with
// a fixed number of decimals. The digits are those printf gives for "%lld",
// "%llX" and "%.*f" in the "C" locale, whatever locale the process has.
#include <cstdint>
#include <string>

namespace orelib {

// "-42", "0", "4294967295".
std::wstring DecimalText(int64_t value);

// Upper-case hex digits, zero-padded to at least `minDigits` (1 to 16):
// "FF", "0000FFFF".
std::wstring HexText(uint64_t value, int minDigits);

// As printf's "%.*f": rounded to `decimals` places (0 to 20; others are
// clamped) on the double's exact binary value, ties to the even last digit,
// with a "." point. 1.25 gives "1.2" at one place; 0.15, a little below a
// tie in binary, gives "0.1". Infinity and NaN give "inf" and "nan", signed
// as the value is.
std::wstring FixedText(double value, int decimals);

}  // namespace orelib
