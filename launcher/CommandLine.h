// The server's command line.
#pragma once

#include <string>

inline constexpr const wchar_t *kMainClass = L"JavaSwingClasses.MainFrame";

// The runtime program, "-classpath ", the ten quoted class-path entries under the
// application directory and the main class.
std::wstring BuildServerCommandLine(const std::wstring &appDirectory, const std::wstring &javaHome);
