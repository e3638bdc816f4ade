// PrepareJava.exe, the installer's helper: prepares the Java runtime that the
// launcher will choose, with the launcher's own search and copies, at install
// time and from the Start menu after a Java update; and tells the installer
// whether an installation's server runs.
#pragma once

#include "seam/Platform.h"

#include <string>
#include <vector>

inline constexpr const wchar_t *kPrepareJavaTitle = L"Prepare Java for Dovern SMS Server";

// Exit statuses.
inline constexpr int kPrepared = 0;     // all four support files are in the runtime
inline constexpr int kNoRuntime = 1;    // no runtime the launcher could choose: nothing copied
inline constexpr int kCopyFailed = 2;   // a copy failed, or the program did: the report says why
inline constexpr int kNoServerRuns = 0; // surely no server of the installation runs
inline constexpr int kServerRuns = 20;  // the installation's server runs
inline constexpr int kCannotTell = 21;  // whether it runs cannot be told: the report says why
inline constexpr int kFolderDone = 0;   // Setup's folder modes: all done
inline constexpr int kFolderFailed = 2; // a folder mode stopped: the report says where
inline constexpr int kWrongUsage = 64;  // arguments it does not know

// What the arguments ask for.
struct PrepareRequest {
    enum class Mode {
        Prepare,
        ServerRuns,
        Support,
        ProtectedFolder,
        RemoveShipped,
        Leftover,
        KeepAtRestart,
        Usage
    };
    Mode mode = Mode::Usage;
    bool toOutput = false; // the report goes to standard output instead of a box
    std::wstring folder;   // the installation's folder, for ServerRuns
    // What follows the mode's switch.
    std::vector<std::wstring> operands{};
    // Set: the report goes into this file, made new, instead of standard output. Setup starts the
    // program itself and reads the file from its working folder: no console
    // helper, no pipe.
    std::wstring reportFile{};
};

// No arguments (a box), or a mode's switch (letter case does not matter) and
// its operands: "/log", "/running <installation folder>", and Setup's and the
// uninstaller's folder modes "/support <folder holding the support files>",
// "/protectedfolder <folder>", "/removeshipped <installation folder> <list
// file>" (which removes nothing, and answers as /running does, while the
// server runs or when that cannot be told), "/leftover <installation folder>
// <three Program Files folders>", "/keepatrestart <installation folder>"; each
// may follow "/report <file>". Any argument asks for standard output, also
// when it is wrong: a box that no one sees would hold a silent install.
PrepareRequest ReadPrepareArguments(const std::vector<std::wstring> &arguments);

// A path operand without trailing separators and blanks, and without the
// quote that a quoted path with a trailing backslash leaves ("C:\x\" arrives
// as C:\x"), which no Windows name can hold.
std::wstring PathArgument(const std::wstring &argument);

struct PrepareReport {
    int exitCode;
    std::wstring text;
};

// Does what `request` asks and says so.
PrepareReport RunPrepareJava(seam::Platform &os, const PrepareRequest &request);

// What one run of PrepareJava.exe asked and answered.
struct PrepareRun {
    PrepareRequest request;
    PrepareReport report;
};

// Several runs in one process, each with a report file of its own:
// "/report <file> <mode> ... /report <file> <mode> ...", split into each run's
// arguments, in order. Anything else is one run.
std::vector<std::vector<std::wstring>> SplitReportRuns(const std::vector<std::wstring> &arguments);

// Reads `arguments` and does what they ask. An exception ends the run with a
// status of its own (kCannotTell for /running, kCopyFailed otherwise), never
// the C runtime's, and its description as the report.
PrepareRun RunPrepareJavaArguments(seam::Platform &os, const std::vector<std::wstring> &arguments);
