// Java runtime discovery and installation of the serial-port support files.
#pragma once

#include "seam/Platform.h"

#include <optional>
#include <string>

namespace mod_main {

inline constexpr const wchar_t *kRuntimeKey = L"SOFTWARE\\JavaSoft\\Java Runtime Environment";

inline constexpr const wchar_t *kMsgNoRuntime =
    L"You have not Installed Java Runtime Environment on your computer.\r\n"
    L"Download and install Java Runtime Environment Version 1.5 or higher version.\r\n"
    L"Please refer installtion guide of Dovern SMS Server 4 Huawei 3G/HSDPA for further help";
inline constexpr const wchar_t *kMsgNoSuitableVersion =
    L"Java Runtime Environment version 1.5 or higher version is not avaiable";
inline constexpr const wchar_t *kMsgSearchFailed = L"Error While Searching JVM on Your Machine";
inline constexpr const wchar_t *kMsgCopyFailed = L"Error While Copying JAR File";

// Chooses the first runtime of version 1.5 or later, stores its home in gJavaHome
// and installs the support files into it. Ends the program when there is none.
void FindJavaRuntime(seam::Platform &os);

// Copies the four support files into the runtime where they are missing.
void InstallCommSupport(seam::Platform &os, const std::wstring &javaHome);

// The version number that a sub-key name's first three characters read as, with
// "." as the decimal symbol whatever the user's regional settings; nothing when
// they are not a number.
std::optional<double> ReadVersionNumber(const std::wstring &subKeyName);

} // namespace mod_main
