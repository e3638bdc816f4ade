// Reference split of a command line the way the Windows C runtime splits it:
// blanks and tabs outside double quotes separate arguments, the quotes are dropped,
// and backslashes are literal unless they precede a double quote.
#pragma once

#include <string>
#include <vector>

inline std::vector<std::wstring> SplitWindowsCommandLine(const std::wstring &line) {
    std::vector<std::wstring> args;
    std::size_t at = 0;
    // The program name: up to the first blank, or a quoted run; no escapes.
    std::wstring program;
    bool quoted = false;
    for (; at < line.size(); ++at) {
        const wchar_t c = line[at];
        if (c == L'"')
            quoted = !quoted;
        else if ((c == L' ' || c == L'\t') && !quoted)
            break;
        else
            program += c;
    }
    args.push_back(program);
    while (true) {
        while (at < line.size() && (line[at] == L' ' || line[at] == L'\t'))
            ++at;
        if (at >= line.size()) break;
        std::wstring arg;
        bool inQuotes = false;
        while (at < line.size()) {
            const wchar_t c = line[at];
            if (c == L'\\') {
                std::size_t slashes = 0;
                while (at < line.size() && line[at] == L'\\')
                    ++slashes, ++at;
                if (at < line.size() && line[at] == L'"') {
                    arg.append(slashes / 2, L'\\');
                    if (slashes % 2) {
                        arg += L'"';
                        ++at;
                    }
                } else {
                    arg.append(slashes, L'\\');
                }
                continue;
            }
            if (c == L'"') {
                if (inQuotes && at + 1 < line.size() && line[at + 1] == L'"') {
                    arg += L'"';
                    at += 2;
                    continue;
                }
                inQuotes = !inQuotes;
                ++at;
                continue;
            }
            if ((c == L' ' || c == L'\t') && !inQuotes) break;
            arg += c;
            ++at;
        }
        args.push_back(arg);
    }
    return args;
}
