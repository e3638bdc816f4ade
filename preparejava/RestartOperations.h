// What Windows does to files at the next restart (MoveFileEx's delayed
// deletions and renames, such as an uninstaller's for its own running file),
// and taking back those that concern a folder that Setup installs into again.
#pragma once

#include "preparejava/PrepareJava.h"

#include <string>
#include <vector>

struct RestartOperation {
    std::wstring source; // as MoveFileEx stored it: "\??\C:\x"
    std::wstring target; // "" for a deletion; "!" first to replace what is there
};

// Pairs the strings of PendingFileRenameOperations; answers false when they
// do not pair up (a value that some program wrote wrongly).
bool PairRestartOperations(const std::vector<std::wstring> &strings,
                           std::vector<RestartOperation> *operations);

// The path that a stored name stands for: "\??\C:\x" is C:\x, "\??\UNC\s\x"
// is \\s\x, without the "!" of a replacing rename.
std::wstring RestartPath(const std::wstring &stored);

// True when `path` is `folder` or lies below it, compared as the file system
// compares names.
bool InFolder(seam::Platform &os, const std::wstring &path, const std::wstring &folder);

// Takes back every operation of the next restart whose source or target is
// `folder` or lies below it: Setup lays its files there, and no restart may
// delete or replace them. One report line per operation taken back;
// kFolderFailed when the operations cannot be read, paired or written.
PrepareReport KeepAtRestart(seam::Platform &os, const std::wstring &folder);
