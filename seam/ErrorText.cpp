#include "seam/ErrorText.h"

namespace seam {
namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// Drops one blank next to an insert that is left out: the one after it, or else
// the one before it ("into drive %1." reads "into drive.").
void DropBlankBeside(std::wstring &out, const std::wstring &text, std::size_t &next) {
    if (next < text.size() && text[next] == L' ')
        ++next;
    else if (!out.empty() && out.back() == L' ')
        out.pop_back();
}

} // namespace

std::wstring FillInserts(const std::wstring &text, const std::wstring &subject) {
    std::wstring out;
    std::size_t i = 0;
    while (i < text.size()) {
        const wchar_t c = text[i++];
        if (c != L'%' || i == text.size()) {
            if (c != L'%') out += c;
            continue;
        }
        const wchar_t escape = text[i++];
        if (escape == L'0') break; // ends the message without a line break
        if (escape == L'n') {
            out += L"\r\n";
            continue;
        }
        if (!IsDigit(escape)) {
            out += escape; // "%%", "%.", "%!" and the like stand for the character
            continue;
        }
        std::uint32_t number = static_cast<std::uint32_t>(escape - L'0');
        if (i < text.size() && IsDigit(text[i]))
            number = number * 10 + static_cast<std::uint32_t>(text[i++] - L'0');
        // An insert may carry a printf format, "%1!s!".
        if (i < text.size() && text[i] == L'!') {
            const std::size_t close = text.find(L'!', i + 1);
            i = close == std::wstring::npos ? text.size() : close + 1;
        }
        if (number == 1 && !subject.empty())
            out += subject;
        else
            DropBlankBeside(out, text, i);
    }
    while (!out.empty() && (out.back() == L'\r' || out.back() == L'\n' || out.back() == L' '))
        out.pop_back();
    return out;
}

std::wstring DescribeError(Platform &os, std::uint32_t error, const std::wstring &subject) {
    return FillInserts(os.ErrorDescription(error), subject);
}

} // namespace seam
