// Decimal digits of a number. The launcher's only number-to-text need; the C
// library's formatted printing would add its whole formatter to the executable.
#pragma once

#include <cstdint>
#include <string>

inline std::wstring DecimalText(std::int64_t value) {
    const bool negative = value < 0;
    // Counting in the negative range keeps the smallest value exact.
    std::int64_t rest = negative ? value : -value;
    std::wstring digits;
    do {
        digits.insert(digits.begin(), static_cast<wchar_t>(L'0' - rest % 10));
        rest /= 10;
    } while (rest != 0);
    if (negative) digits.insert(digits.begin(), L'-');
    return digits;
}
