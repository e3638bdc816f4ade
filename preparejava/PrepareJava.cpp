#include "preparejava/PrepareJava.h"

#include "launcher/InstanceLock.h"
#include "preparejava/JavaReport.h"
#include "seam/AppError.h"

namespace {

bool IsSwitch(const std::wstring &argument, const wchar_t *name) {
    if (argument.size() != std::char_traits<wchar_t>::length(name)) return false;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        const wchar_t c = argument[i];
        if ((c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c) != name[i]) return false;
    }
    return true;
}

} // namespace

PrepareRequest ReadPrepareArguments(const std::vector<std::wstring> &arguments) {
    using Mode = PrepareRequest::Mode;
    if (arguments.empty()) return {Mode::Prepare, false, L""};
    if (arguments.size() == 1 && IsSwitch(arguments[0], L"/log")) return {Mode::Prepare, true, L""};
    if (arguments.size() == 2 && IsSwitch(arguments[0], L"/running") && !arguments[1].empty())
        return {Mode::ServerRuns, true, arguments[1]};
    return {};
}

PrepareReport RunPrepareJava(seam::Platform &os, const PrepareRequest &request) {
    switch (request.mode) {
    case PrepareRequest::Mode::Prepare:
        return PrepareJavaReport(os);
    case PrepareRequest::Mode::ServerRuns:
        if (InstanceServerRuns(os, request.folder))
            return {kServerRuns,
                    L"The server of the installation in " + request.folder + L" is running."};
        return {kPrepared, L"No server of the installation in " + request.folder + L" is running."};
    case PrepareRequest::Mode::Usage:
        break;
    }
    return {kWrongUsage, L"Usage: PrepareJava.exe [/log]\r\n"
                         L"       PrepareJava.exe /running <installation folder>"};
}
