#include "common/ProductTexts.h"
#include "javaruntime/mod_main.h"
#include "seam/AppError.h"
#include "seam/ErrorText.h"

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

struct RowFailure {
    std::uint32_t error = 0;
    std::wstring file; // what the failing call was given, for the error's text
};

// Installs the rows in order; answers the failure that stopped it, if any.
RowFailure InstallRows(seam::Platform &os, const std::wstring &javaHome) {
    for (const SupportFile &row : kSupportFiles) {
        bool exists = false;
        const std::wstring tested = javaHome + row.testedPath;
        if (const std::uint32_t error = os.FileExists(tested, &exists)) return {error, tested};
        if (exists) continue; // never replaced or compared
        if (const std::uint32_t error =
                os.CopyFile(row.source, javaHome + row.destinationFolder, true))
            return {error, row.source};
    }
    return {};
}

} // namespace

void InstallCommSupport(seam::Platform &os, const std::wstring &javaHome) {
    std::wstring description;
    try {
        // Before the first test: a test must see what the runtime sees, and a
        // copy it cannot make must fail rather than go to the VirtualStore. A
        // failure leaves nothing to do.
        os.TurnOffFileVirtualization();
        const RowFailure failure = InstallRows(os, javaHome);
        if (failure.error == 0) return;
        description = seam::DescribeError(os, failure.error, failure.file);
    } catch (const std::exception &raised) {
        description = seam::StandardError(raised).description;
    }
    os.MessageBox(description, kAppTitle);
    os.MessageBox(kMsgCopyFailed, kAppTitle);
}

} // namespace mod_main
