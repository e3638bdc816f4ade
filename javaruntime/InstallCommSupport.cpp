#include "javaruntime/mod_main.h"
#include "launcher/Globals.h"

namespace mod_main {
namespace {

struct SupportFile {
    const wchar_t *testedPath;
    const wchar_t *source;
    const wchar_t *destinationFolder;
};

constexpr SupportFile kSupportFiles[] = {
    {L"\\lib\\ext\\Comm.jar", L"C:\\dovern\\GsmModemJar\\Comm.jar", L"\\lib\\ext\\"},
    {L"\\lib\\javax.comm.properties", L"C:\\dovern\\GsmModemJar\\javax.comm.properties",
     L"\\lib\\"},
    {L"\\bin\\Win32com.dll", L"C:\\dovern\\GsmModemJar\\Win32com.dll", L"\\bin\\"},
    {L"\\lib\\ext\\jdc.jar", L"C:\\dovern\\GsmModemJar\\jdc.jar", L"\\lib\\ext\\"},
};

// Installs the rows in order; answers the error that stopped it, or 0.
std::uint32_t InstallRows(seam::Platform &os, const std::wstring &javaHome) {
    for (const SupportFile &row : kSupportFiles) {
        bool exists = false;
        if (const std::uint32_t error = os.FileExists(javaHome + row.testedPath, &exists))
            return error;
        if (exists) continue; // never replaced or compared
        if (const std::uint32_t error =
                os.CopyFile(row.source, javaHome + row.destinationFolder, true))
            return error;
    }
    return 0;
}

} // namespace

void InstallCommSupport(seam::Platform &os, const std::wstring &javaHome) {
    const std::uint32_t error = InstallRows(os, javaHome);
    if (error == 0) return;
    os.MessageBox(os.ErrorDescription(error), kAppTitle);
    os.MessageBox(kMsgCopyFailed, kAppTitle);
}

} // namespace mod_main
