// The server's command line for any application and runtime folder: split the
// way the Windows C runtime splits it, it must always give the runtime the same
// four arguments.
#include "launcher/CommandLine.h"
#include "tests/unit/WindowsArgv.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const wchar_t *const kEntries[] = {
    L"\\SMSServer\\lib\\comm.jar",
    L"\\SMSServer\\lib\\jdc.jar",
    L"\\SMSServer\\lib\\jxl.jar",
    L"\\SMSServer\\lib\\log4j-1.2.8.jar",
    L"\\SMSServer\\lib\\slf4j-api-1.1.0.jar",
    L"\\SMSServer\\lib\\slf4j-log4j12-1.1.0.jar",
    L"\\SMSServer\\lib\\slf4j-simple-1.1.0.jar",
    L"\\SMSServer\\lib\\swing-layout-1.0.jar",
    L"\\SMSServer\\Dovern_Professional_SMS_Server.jar",
    L"\\SMSServer",
};

// UTF-16 code units, little-endian, as Windows stores a path.
std::wstring Path(FuzzedDataProvider &input) {
    const std::string bytes = input.ConsumeRandomLengthString(512);
    std::wstring path;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2)
        path += static_cast<wchar_t>(static_cast<std::uint8_t>(bytes[at]) |
                                     (static_cast<std::uint8_t>(bytes[at + 1]) << 8));
    return path;
}

// No Windows path holds a double quote or a NUL, so those are skipped. Any other
// directory is kept, one ending in a backslash included: in this line a folder is
// always followed by a fixed "\bin\..." or "\SMSServer..." tail, so no backslash
// of it can ever stand before a quote.
bool IsWindowsPath(const std::wstring &path) {
    return path.find_first_of(std::wstring(L"\"\0", 2)) == std::wstring::npos;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::wstring appDir = Path(input);
    const std::wstring javaHome = Path(input);
    if (!IsWindowsPath(appDir) || !IsWindowsPath(javaHome)) return -1;

    const std::vector<std::wstring> argv =
        SplitWindowsCommandLine(BuildServerCommandLine(appDir, javaHome));

    std::wstring classPath;
    for (const wchar_t *entry : kEntries)
        classPath += (classPath.empty() ? L"" : L";") + appDir + entry;

    if (argv.size() != 4) std::abort();
    if (argv[0] != (javaHome.empty() ? L"java" : javaHome + L"\\bin\\java.exe")) std::abort();
    if (argv[1] != L"-classpath") std::abort();
    if (argv[2] != classPath) std::abort();
    if (argv[3] != L"JavaSwingClasses.MainFrame") std::abort();
    return 0;
}
