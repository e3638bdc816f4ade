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

// No SMSServer folder beside the launcher: it ends after this.
inline std::wstring NoServerFolderText(const std::wstring &serverFolder) {
    return L"The server's folder was not found:\r\n" + serverFolder +
           L"\r\nPut DovernProfessionalSMSServer.exe in the folder that holds the server's "
           L"SMSServer folder, and start it from there.";
}
// The launcher's folder has a name that Java cannot receive, and no short name
// that it can: the launcher ends after this.
inline std::wstring FolderNotForJavaText(const std::wstring &folder, bool holdsSemicolon) {
    return L"Java cannot be started from the folder\r\n" + folder + L"\r\n" +
           (holdsSemicolon ? L"Its name holds a \";\", which would split Java's class path."
                           : L"Java reads folder names in the system's code page, which cannot "
                             L"write this name.") +
           L" The folder has no short name that would do instead.\r\nMove "
           L"DovernProfessionalSMSServer.exe and its SMSServer folder to a folder whose name "
           L"has only letters of the system's language and no \";\".";
}
// The server of this installation runs already: the launcher ends after this.
inline std::wstring AlreadyRunningText(const std::wstring &folder) {
    return L"The server of this installation is already running:\r\n" + folder +
           L"\r\nOnly one server can use the modems at a time; it may run for another user "
           L"of this computer.";
}

// The report of an error that no handler takes, before the launcher ends.
inline std::wstring UnhandledErrorText(std::uint32_t error, const std::wstring &description) {
    return L"Run-time error '" + DecimalText(error) + L"':\r\n\r\n" + description;
}
