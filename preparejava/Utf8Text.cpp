#include "preparejava/Utf8Text.h"

bool Utf8ToUtf16(const std::string &utf8, std::wstring *text) {
    std::wstring result;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const int extra = lead < 0x80    ? 0
                          : lead >= 0xF0 ? 3
                          : lead >= 0xE0 ? 2
                          : lead >= 0xC0 ? 1
                                         : -1;
        if (extra < 0 || lead > 0xF4 || utf8.size() - i <= static_cast<std::size_t>(extra))
            return false;
        char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        static const char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
        if (code < kLeast[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        if (code >= 0x10000) {
            result += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
            result += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            result += static_cast<wchar_t>(code);
        }
        i += static_cast<std::size_t>(extra) + 1;
    }
    *text = result;
    return true;
}
