// The serial-port support files: where the installation keeps them and where
// each goes in a Java runtime. The launcher's copies, PrepareJava.exe and the
// release's payload check read this one list.
#pragma once

namespace mod_main {

// Only administrators may write it: whatever lies there goes into Java.
inline constexpr const wchar_t *kSupportParent = L"C:\\dovern";
inline constexpr const wchar_t *kSupportFolder = L"C:\\dovern\\GsmModemJar";

struct SupportFile {
    const wchar_t *name;              // in kSupportFolder
    const wchar_t *destinationFolder; // under the runtime's home, with its backslashes
};

inline constexpr SupportFile kSupportFiles[] = {
    {L"Comm.jar", L"\\lib\\ext\\"},
    {L"javax.comm.properties", L"\\lib\\"},
    {L"Win32com.dll", L"\\bin\\"},
    {L"jdc.jar", L"\\lib\\ext\\"},
};

} // namespace mod_main
