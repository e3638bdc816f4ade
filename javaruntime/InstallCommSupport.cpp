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

// Beside the file it becomes; never taken for the file itself, which is tested
// by its own name.
constexpr const wchar_t *kPartialSuffix = L".partial";

// Copies `source` into `folder` under its own name, whole or not at all: a
// copy cut short by a kill or a power loss would otherwise stay in the runtime
// for good, since a present file is never replaced. The copy goes to a
// temporary name and takes the file's name only once complete; a file that
// took the name meanwhile is kept.
RowFailure CopyWhole(seam::Platform &os, const std::wstring &source, const std::wstring &folder) {
    const std::wstring target = folder + source.substr(source.find_last_of(L'\\') + 1);
    const std::wstring partial = target + kPartialSuffix;
    os.DeleteFile(partial); // left by an interrupted run, if any
    RowFailure failure;
    if (const std::uint32_t error = os.CopyFile(source, partial, true)) {
        failure = {error, source};
    } else if (const std::uint32_t error = os.CommitFile(partial, target)) {
        if (error != seam::kErrorAlreadyExists && error != seam::kErrorFileExists)
            failure = {error, target};
    } else {
        return {};
    }
    os.DeleteFile(partial);
    return failure;
}

// Installs the rows in order; answers the failure that stopped it, if any.
RowFailure InstallRows(seam::Platform &os, const std::wstring &javaHome) {
    for (const SupportFile &row : kSupportFiles) {
        bool exists = false;
        const std::wstring tested = javaHome + row.testedPath;
        if (const std::uint32_t error = os.FileExists(tested, &exists)) return {error, tested};
        if (exists) continue; // never replaced or compared
        RowFailure failure = CopyWhole(os, row.source, javaHome + row.destinationFolder);
        if (failure.error != 0) return failure;
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
