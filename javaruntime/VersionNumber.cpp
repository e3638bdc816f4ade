#include "javaruntime/mod_main.h"

#include <cwctype>

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

    double value = 0;
    double scale = 1;
    bool anyDigit = false;
    bool afterPoint = false;
    for (; at < text.size(); ++at) {
        const wchar_t c = text[at];
        if (c >= L'0' && c <= L'9') {
            anyDigit = true;
            if (afterPoint) {
                scale /= 10;
                value += (c - L'0') * scale;
            } else {
                value = value * 10 + (c - L'0');
            }
        } else if (c == L'.' && !afterPoint) {
            afterPoint = true;
        } else {
            break;
        }
    }
    skipBlanks();
    if (!anyDigit || at != text.size()) return std::nullopt;
    return negative ? -value : value;
}

} // namespace mod_main
