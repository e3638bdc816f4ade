// Sub-key names of any content: the version read from a name depends on its
// first three characters only, and agrees with the C library's own parse of
// every text the grammar accepts.
#include "javaruntime/mod_main.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <string>

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Blanks, an optional sign, digits with at most one point (at least one digit),
// blanks, and nothing else.
bool Accepted(const std::wstring &text) {
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    if (at < text.size() && (text[at] == L'+' || text[at] == L'-')) ++at;
    std::size_t digits = 0;
    std::size_t points = 0;
    for (; at < text.size() && (IsDigit(text[at]) || text[at] == L'.'); ++at)
        (text[at] == L'.' ? points : digits) += 1;
    while (at < text.size() && IsBlank(text[at]))
        ++at;
    return at == text.size() && digits > 0 && points <= 1;
}

std::optional<double> Reference(const std::wstring &name) {
    const std::wstring text = name.substr(0, 3);
    if (!Accepted(text)) return std::nullopt;
    wchar_t *end = nullptr;
    const double value = std::wcstod(text.c_str(), &end);
    while (IsBlank(*end))
        ++end;
    if (*end != L'\0') std::abort(); // the grammar accepted what wcstod did not read
    return value;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // Each character is a UTF-16 code unit, little-endian, as Windows stores it.
    std::wstring name;
    for (std::size_t at = 0; at + 1 < size; at += 2)
        name += static_cast<wchar_t>(data[at] | (data[at + 1] << 8));

    const std::optional<double> result = mod_main::ReadVersionNumber(name);
    if (result != mod_main::ReadVersionNumber(name.substr(0, 3))) std::abort();
    if (result && !std::isfinite(*result)) std::abort();
    const std::optional<double> expected = Reference(name);
    if (result.has_value() != expected.has_value()) std::abort();
    if (result && *result != *expected) std::abort();
    return 0;
}
