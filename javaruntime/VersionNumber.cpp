#include "javaruntime/mod_main.h"

namespace mod_main {

std::optional<double> ReadVersionNumber(const std::wstring &subKeyName) {
    const std::wstring text = subKeyName.substr(0, 3);
    std::size_t at = 0;
    const auto skipBlanks = [&] {
        while (at < text.size() && (text[at] == L' ' || text[at] == L'\t'))
            ++at;
    };
    skipBlanks();
    bool negative = false;
    if (at < text.size() && (text[at] == L'+' || text[at] == L'-')) negative = text[at++] == L'-';

    // Whole digits first and one division at the end: three digits stay exact,
    // so the result is the correctly rounded value.
    double digits = 0;
    double divisor = 1;
    bool anyDigit = false;
    bool afterPoint = false;
    for (; at < text.size(); ++at) {
        const wchar_t c = text[at];
        if (c >= L'0' && c <= L'9') {
            anyDigit = true;
            digits = digits * 10 + (c - L'0');
            if (afterPoint) divisor *= 10;
        } else if (c == L'.' && !afterPoint) {
            afterPoint = true;
        } else {
            break;
        }
    }
    skipBlanks();
    if (!anyDigit || at != text.size()) return std::nullopt;
    const double value = digits / divisor;
    return negative ? -value : value;
}

} // namespace mod_main
