#include "preparejava/PrepareJava.h"

#include "preparejava/JavaReport.h"
#include "preparejava/LeftoverFolder.h"
#include "preparejava/ProtectedFolder.h"
#include "preparejava/RestartOperations.h"
#include "preparejava/ServerRunsReport.h"
#include "preparejava/ShippedFiles.h"
#include "preparejava/SupportFolder.h"
#include "seam/AppError.h"

namespace {

using Mode = PrepareRequest::Mode;

// The modes that a switch asks for, with the number of operands after it.
struct ModeSwitch {
    const wchar_t *name;
    Mode mode;
    std::size_t operands;
    const wchar_t *operandNames; // as the usage text shows them
};

constexpr ModeSwitch kModeSwitches[] = {
    {L"/log", Mode::Prepare, 0, L""},
    {L"/running", Mode::ServerRuns, 1, L" <installation folder>"},
    {L"/support", Mode::Support, 1, L" <folder holding the support files>"},
    {L"/protectedfolder", Mode::ProtectedFolder, 1, L" <folder>"},
    {L"/removeshipped", Mode::RemoveShipped, 2, L" <installation folder> <list file>"},
    {L"/leftover", Mode::Leftover, 4,
     L" <installation folder> <Program Files> <Program Files (x86)> <64-bit Program Files>"},
    {L"/keepatrestart", Mode::KeepAtRestart, 1, L" <installation folder>"},
};

bool IsSwitch(const std::wstring &argument, const wchar_t *name) {
    if (argument.size() != std::char_traits<wchar_t>::length(name)) return false;
    for (std::size_t i = 0; i < argument.size(); ++i) {
        const wchar_t c = argument[i];
        if ((c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c) != name[i]) return false;
    }
    return true;
}

// The report of a run that an exception ended: its description, and `status`.
PrepareReport Stopped(int status) {
    std::wstring description = L"an unknown error";
    try {
        description = seam::CaughtError().description;
    } catch (...) {
    }
    return {status, L"PrepareJava.exe stopped: " + description};
}

// The uninstaller's removal asks first, in the same run, what /running answers:
// nothing of an installation whose server runs is removed, and a question that
// cannot be answered removes nothing either.
PrepareReport RemoveShippedUnlessRunning(seam::Platform &os, const PrepareRequest &request) {
    PrepareReport runs{kCannotTell, L""};
    try {
        runs = ReportServerRuns(os, request.folder);
    } catch (...) {
        return Stopped(kCannotTell);
    }
    if (runs.exitCode != kNoServerRuns) return runs;
    return RemoveShippedFiles(os, request.folder, request.operands[1]);
}

} // namespace

PrepareRequest ReadPrepareArguments(const std::vector<std::wstring> &arguments) {
    PrepareRequest request;
    if (arguments.empty()) return {Mode::Prepare, false, L"", {}, {}};
    request.toOutput = true;
    std::size_t first = 0;
    if (IsSwitch(arguments[0], L"/report") && arguments.size() > 1) {
        request.reportFile = PathArgument(arguments[1]);
        if (request.reportFile.empty()) return request;
        first = 2;
    }
    if (first == arguments.size()) return request;
    for (const ModeSwitch &mode : kModeSwitches) {
        if (!IsSwitch(arguments[first], mode.name)) continue;
        if (arguments.size() != first + 1 + mode.operands) return request;
        for (std::size_t i = first + 1; i < arguments.size(); ++i) {
            request.operands.push_back(PathArgument(arguments[i]));
            if (request.operands.back().empty()) {
                request.operands.clear();
                return request;
            }
        }
        request.mode = mode.mode;
        if (!request.operands.empty()) request.folder = request.operands[0];
        return request;
    }
    return request;
}

std::wstring PathArgument(const std::wstring &argument) {
    std::wstring path = argument;
    // Windows drops a name's trailing blanks too.
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/' || path.back() == L'"' ||
                             path.back() == L' '))
        path.pop_back();
    // "C:" alone would be the current folder of drive C.
    if (!path.empty() && path.back() == L':') path += L'\\';
    return path;
}

PrepareReport RunPrepareJava(seam::Platform &os, const PrepareRequest &request) {
    switch (request.mode) {
    case PrepareRequest::Mode::Prepare:
        return PrepareJavaReport(os);
    case PrepareRequest::Mode::ServerRuns:
        return ReportServerRuns(os, request.folder);
    case PrepareRequest::Mode::Support:
        return LaySupportFolder(os, request.folder);
    case PrepareRequest::Mode::ProtectedFolder:
        return MakeProtectedFolder(os, request.folder);
    case PrepareRequest::Mode::RemoveShipped:
        return RemoveShippedUnlessRunning(os, request);
    case PrepareRequest::Mode::Leftover:
        return CheckLeftoverFolder(os, request.folder,
                                   {request.operands.begin() + 1, request.operands.end()});
    case PrepareRequest::Mode::KeepAtRestart:
        return KeepAtRestart(os, request.folder);
    case PrepareRequest::Mode::Usage:
        break;
    }
    std::wstring usage = L"Usage: PrepareJava.exe [/report <file>] [/log]";
    for (const ModeSwitch &mode : kModeSwitches)
        if (mode.operands > 0)
            usage += std::wstring(L"\r\n       PrepareJava.exe [/report <file>] ") + mode.name +
                     mode.operandNames;
    return {kWrongUsage, usage};
}

std::vector<std::vector<std::wstring>> SplitReportRuns(const std::vector<std::wstring> &arguments) {
    std::vector<std::vector<std::wstring>> runs{{}};
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        // A run's own /report comes first, its file second.
        if (i >= 2 && IsSwitch(arguments[i], L"/report") && IsSwitch(runs.back()[0], L"/report") &&
            runs.back().size() > 2)
            runs.emplace_back();
        runs.back().push_back(arguments[i]);
    }
    return runs;
}

PrepareRun RunPrepareJavaArguments(seam::Platform &os, const std::vector<std::wstring> &arguments) {
    PrepareRun run;
    run.request.toOutput = !arguments.empty();
    try {
        run.request = ReadPrepareArguments(arguments);
        run.report = RunPrepareJava(os, run.request);
    } catch (...) {
        run.report = Stopped(run.request.mode == PrepareRequest::Mode::ServerRuns ? kCannotTell
                                                                                  : kCopyFailed);
    }
    return run;
}
