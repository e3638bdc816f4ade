// Runs a whole launcher run on the test doubles, then reruns it once for every
// seam call it made and every way that call can fail, and checks each outcome.
#include "common/Globals.h"
#include "javaruntime/mod_main.h"
#include "tests/unit/FakePlatform.h"
#include "tests/unit/FakeSplash.h"
#include "tests/unit/LauncherWorld.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iostream>
#include <map>

namespace {

const std::wstring kM3 = L"Error While Searching JVM on Your Machine";
const std::wstring kCopyFailed = L"Error While Copying JAR File";
const std::wstring kUnsupported = L"Unsupported value type";
const std::wstring kInvalid = L"Invalid procedure call or argument";

// A machine with an old and a suitable runtime, the support files to copy, and a
// server that runs for 45 s. A long home makes the value take two queries.
void BuildWorld(FakePlatform &os, bool longHome) {
    const std::string home = longHome ? "C:\\" + std::string(1500, 'j') : "C:\\Java\\jre6";
    os.SetString(kRuntimeKey + "\\1.4.2_19", "JavaHome", "C:\\Java\\old");
    os.SetString(kRuntimeKey + "\\1.6.0_45", "JavaHome", home);
    AddRuntimeFolders(os, std::wstring(home.begin(), home.end()));
    AddSupportSources(os);
}

void RunLauncher(FakePlatform &os) {
    gJavaHome.clear();
    gServerPid = 0;
    FakeSplash splash(os);
    splash.RunUntil(45000);
    if (!os.started.empty()) os.processes[os.nextPid].running = false;
    splash.RunUntil(200000);
}

struct Outcome {
    std::vector<std::wstring> boxes;
    int exitCode = 0;
    bool started = true;
    bool runtimeProgram = true; // the start uses the runtime's java.exe, not "java "
    std::uint64_t endTime = 62000;
};

Outcome Normal() { return {}; }
Outcome SearchError(const std::wstring &description) {
    return {{description, kM3}, 0, true, false, 62000};
}
Outcome Ends(const std::wstring &box) { return {{box}, 1, false, false, 2000}; }

// Seam calls whose failure the launcher has no use for: closing, describing,
// reporting, the window and the end.
const std::set<std::string> kCallsNotSwept = {"RegCloseKey", "ErrorDescription", "CloseHandle",
                                              "MessageBox",  "HideSplash",       "SetTimerEnabled",
                                              "EndProgram",  "AppDirectory",     "FoldedPath",
                                              "ReleaseLock", "CurrentProcessId"};

std::vector<FaultKind> KindsFor(const std::string &call) {
    if (call == "RegQueryValueExA")
        return {FaultKind::MissingValue, FaultKind::OtherType, FaultKind::EmptyValue,
                FaultKind::GrowingValue};
    // The conversions and the copy build strings inside the runtime search.
    if (call == "ToAnsi" || call == "FromAnsi") return {FaultKind::LengthError};
    if (call == "CopyIntoFile") return {FaultKind::Fail, FaultKind::LengthError};
    if (kCallsNotSwept.count(call)) return {};
    return {FaultKind::Fail};
}

Outcome Unhandled(const std::string &error, bool started) {
    const std::wstring number(error.begin(), error.end());
    return {{L"Run-time error '" + number + L"':\r\n\r\nDescription of error " + number},
            1,
            started,
            true,
            2000};
}

// What the launcher must do when the `occurrence`-th call named `call` fails.
Outcome Expected(const std::string &call, int occurrence, FaultKind kind, bool longHome) {
    const std::wstring m1 =
        L"You have not Installed Java Runtime Environment on your computer.\r\n"
        L"Download and install Java Runtime Environment Version 1.5 or higher version.\r\n"
        L"Please refer installtion guide of Dovern SMS Server 4 Huawei 3G/HSDPA for further help";
    const std::wstring m2 =
        L"Java Runtime Environment version 1.5 or higher version is not avaiable";
    if (call == "RegOpenKeyExA") {
        if (occurrence == 0) return Ends(m1); // the runtime key test
        if (occurrence == 1) return Ends(m2); // the sub-key list is empty
        return {{}, 0, true, false, 62000};   // the version key vanished: quietly "java "
    }
    const std::wstring lengthError(kLengthErrorText,
                                   kLengthErrorText + std::strlen(kLengthErrorText));
    if (call == "ToAnsi" || call == "FromAnsi") return SearchError(lengthError);
    if (call == "RegEnumKeyA") return occurrence < 2 ? Ends(m2) : Normal();
    if (call == "RegQueryValueExA") {
        if (kind == FaultKind::EmptyValue) return SearchError(kInvalid);
        if (kind == FaultKind::GrowingValue)
            return longHome && occurrence == 0 ? SearchError(kUnsupported) : Normal();
        return SearchError(kUnsupported);
    }
    if (call == "FileExists")
        return {{L"Description of error 21", kCopyFailed}, 0, true, true, 62000};
    if (call == "CommitFile")
        return {{L"Description of error 5", kCopyFailed}, 0, true, true, 62000};
    // Nothing to remove, or what cannot be looked at is left to the server; a
    // folder name that does not survive the code page as it stands is tried in its
    // short form, here the same; no lock, or no turn for the copies: the server
    // starts all the same; a folder without identity is known by its path; a
    // server that cannot be given the lock leaves it with the launcher.
    if (call == "DeleteFile" || call == "FolderExists" || call == "SurvivesAnsi" ||
        call == "CreateNamedLock" || call == "WaitForLock" || call == "FolderIdentity" ||
        call == "GiveLock" || call == "FullPathName")
        return Normal();
    // A temporary that stays, no copy lock, leftovers unlooked for or kept: the
    // copies go on as usual.
    if (call == "DiscardFile" || call == "CreateSharedLock" || call == "OpenSharedLock" ||
        call == "ListFiles" || call == "ProcessEnded")
        return Normal();
    if (call == "CreateNewFile" || call == "CopyIntoFile") {
        const std::wstring description =
            kind == FaultKind::LengthError ? lengthError : L"Description of error 5";
        return {{description, kCopyFailed}, 0, true, true, 62000};
    }
    if (call == "TurnOffFileVirtualization") return Normal(); // nothing to turn off
    if (call == "CurrentDirectory") return Unhandled("206", false);
    if (call == "SetCurrentDirectory") return Unhandled("3", occurrence == 1); // to, then back
    if (call == "StartProcess") return Unhandled("2", false);
    if (call == "OpenProcess" || call == "GetExitCodeProcess") {
        Outcome early = Normal();
        if (occurrence == 0) early.endTime = 32000; // cannot be looked at: counts as gone
        return early;
    }
    ADD_FAILURE() << "no expected outcome for a failing " << call;
    return {};
}

void Check(const FakePlatform &os, const Outcome &expected, bool longHome,
           const std::string &what) {
    SCOPED_TRACE(what);
    EXPECT_TRUE(os.openKeys.empty()) << "registry key left open";
    EXPECT_TRUE(os.openProcesses.empty()) << "process handle left open";
    EXPECT_TRUE(os.openLocks.empty()) << "lock handle left open";
    EXPECT_EQ(os.rootCloses, 0);
    std::vector<std::wstring> texts;
    for (const auto &box : os.boxes) {
        texts.push_back(box.first);
        EXPECT_EQ(box.second, L"Dovern Professional SMS Server");
    }
    EXPECT_EQ(texts, expected.boxes);
    ASSERT_TRUE(os.endedWith.has_value()) << "the launcher never ended";
    EXPECT_EQ(*os.endedWith, expected.exitCode);
    // The fake's end throws, which closes the guards on the way out; the real
    // one never returns, and the system closes what the process held.
    const auto end = std::find(os.calls.begin(), os.calls.end(), "EndProgram");
    EXPECT_TRUE(std::all_of(end + 1, os.calls.end(), [](const std::string &call) {
        return call == "CloseHandle";
    })) << "something was done after the end";
    EXPECT_EQ(os.now, expected.endTime);
    EXPECT_EQ(os.started.size(), expected.started ? 1u : 0u);
    if (!os.started.empty()) {
        const std::wstring &line = os.started[0].commandLine;
        const std::wstring program =
            expected.runtimeProgram
                ? (longHome ? L"C:\\" + std::wstring(1500, L'j') : L"C:\\Java\\jre6") +
                      L"\\bin\\java.exe "
                : L"java ";
        EXPECT_EQ(line.rfind(program + L"-classpath ", 0), 0u);
    }
}

TEST(FaultSweep, EveryFailureOfEverySeamCallEndsAsTheLauncherMust) {
    int runs = 0;
    for (const bool longHome : {false, true}) {
        FakePlatform clean;
        BuildWorld(clean, longHome);
        RunLauncher(clean);
        Check(clean, Normal(), longHome, "no failure");
        ++runs;

        std::map<std::string, int> seen;
        for (std::size_t i = 0; i < clean.calls.size(); ++i) {
            const std::string &call = clean.calls[i];
            const int occurrence = seen[call]++;
            for (const FaultKind kind : KindsFor(call)) {
                FakePlatform os;
                BuildWorld(os, longHome);
                os.fault = Fault{i, kind};
                RunLauncher(os);
                Check(os, Expected(call, occurrence, kind, longHome), longHome,
                      call + " #" + std::to_string(occurrence) + " kind " +
                          std::to_string(static_cast<int>(kind)) + (longHome ? " long" : ""));
                ++runs;
            }
        }
    }
    std::cout << "fault sweep: " << runs << " runs\n";
    EXPECT_GT(runs, 50);
}

// A seam call that a new step adds is swept unless it is named as one whose
// failure does not matter; the directory steps are among the swept ones.
TEST(FaultSweep, SweepsTheDirectoryStepsAndEveryOtherCallThatCanFail) {
    FakePlatform clean;
    BuildWorld(clean, false);
    RunLauncher(clean);
    std::set<std::string> swept;
    for (const std::string &call : clean.calls)
        if (!KindsFor(call).empty()) swept.insert(call);
    EXPECT_EQ(swept, (std::set<std::string>{
                         "RegOpenKeyExA",  "RegEnumKeyA",      "RegQueryValueExA",
                         "ToAnsi",         "FromAnsi",         "TurnOffFileVirtualization",
                         "FileExists",     "DeleteFile",       "CreateNewFile",
                         "CopyIntoFile",   "ListFiles",        "CreateSharedLock",
                         "CommitFile",     "CurrentDirectory", "SetCurrentDirectory",
                         "StartProcess",   "OpenProcess",      "GetExitCodeProcess",
                         "FolderExists",   "SurvivesAnsi",     "CreateNamedLock",
                         "FolderIdentity", "WaitForLock",      "GiveLock",
                         "FullPathName"}));
}

} // namespace
