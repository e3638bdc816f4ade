// The modes of PrepareJava.exe that Setup and the uninstaller run elevated on
// folders: lay the support folder, make a protected folder, remove the
// shipped files that are unchanged. All of them report on standard output.
#pragma once

#include "preparejava/PrepareJava.h"

#include <string>
#include <vector>

// Exit statuses.
inline constexpr int kFolderDone = 0;
inline constexpr int kFolderFailed = 2;

enum class FolderMode { None, Support, ProtectedFolder, RemoveShipped };

struct FolderRequest {
    bool named = false;                 // the first argument is a folder mode's switch
    FolderMode mode = FolderMode::None; // None with `named`: wrong arguments
    std::wstring folder;                // without trailing separators
    std::wstring listFile;              // for RemoveShipped
};

// The switch and how many arguments follow it.
struct FolderSwitch {
    const wchar_t *name;
    FolderMode mode;
    std::size_t operands;
};

inline constexpr FolderSwitch kFolderSwitches[] = {
    {L"/support", FolderMode::Support, 1},
    {L"/protectedfolder", FolderMode::ProtectedFolder, 1},
    {L"/removeshipped", FolderMode::RemoveShipped, 2},
};

inline constexpr const wchar_t *kFolderUsage =
    L"Usage: PrepareJava.exe /support <folder holding the support files>\r\n"
    L"       PrepareJava.exe /protectedfolder <folder>\r\n"
    L"       PrepareJava.exe /removeshipped <installation folder> <list file>";

// `path` without the separators at its end, but for a drive's root ("C:\").
std::wstring WithoutTrailingSeparators(const std::wstring &path);

// A folder mode's switch (letter case does not matter) and its operands, none
// of them empty.
FolderRequest ReadFolderArguments(const std::vector<std::wstring> &arguments);

// Does what a folder mode asks and says so, one line per thing done; the usage
// for wrong arguments.
PrepareReport RunFolderMode(seam::Platform &os, const FolderRequest &request);
