// UTF-8 as the build writes its lists, read into the UTF-16 of Windows paths.
#pragma once

#include <string>

// Answers false for bytes that are not well-formed UTF-8 (an overlong form, a
// surrogate, a truncated sequence).
bool Utf8ToUtf16(const std::string &utf8, std::wstring *text);
