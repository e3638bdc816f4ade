// Every text the launcher shows or looks up, in one place.
#pragma once

#include "common/DecimalText.h"

#include <cstdint>
#include <string>

// The caption of the splash window and of every message box.
inline constexpr const wchar_t *kAppTitle = L"Dovern Professional SMS Server";

// Where installed Java runtimes register, under HKEY_LOCAL_MACHINE.
inline constexpr const wchar_t *kRuntimeKey = L"SOFTWARE\\JavaSoft\\Java Runtime Environment";

// No runtime key: the launcher ends after this.
inline constexpr const wchar_t *kMsgNoRuntime =
    L"You have not Installed Java Runtime Environment on your computer.\r\n"
    L"Download and install Java Runtime Environment Version 1.5 or higher version.\r\n"
    L"Please refer installtion guide of Dovern SMS Server 4 Huawei 3G/HSDPA for further help";
// No sub-key of version 1.5 or later: the launcher ends after this.
inline constexpr const wchar_t *kMsgNoSuitableVersion =
    L"Java Runtime Environment version 1.5 or higher version is not avaiable";
// After the description of an error in the runtime search.
inline constexpr const wchar_t *kMsgSearchFailed = L"Error While Searching JVM on Your Machine";
// After the description of an error in copying the support files.
inline constexpr const wchar_t *kMsgCopyFailed = L"Error While Copying JAR File";

// The report of an error that no handler takes, before the launcher ends.
inline std::wstring UnhandledErrorText(std::uint32_t error, const std::wstring &description) {
    return L"Run-time error '" + DecimalText(error) + L"':\r\n\r\n" + description;
}
