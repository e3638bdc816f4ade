// The server's command line.
#pragma once

#include <string>

inline constexpr const wchar_t *kMainClass = L"JavaSwingClasses.MainFrame";

// The runtime program, "-classpath ", the ten quoted class-path entries under the
// application directory and the main class.
std::wstring BuildServerCommandLine(const std::wstring &appDirectory, const std::wstring &javaHome);

// The program that the command line starts, as a user would name it in an error
// report: the runtime's java.exe, or "java" found through the program search.
std::wstring ServerProgram(const std::wstring &javaHome);
