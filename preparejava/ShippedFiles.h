// The uninstaller's removal of the files an installation shipped: a file goes
// only when its content is still what was shipped, so that nothing the
// administrator or the server edited is lost.
#pragma once

#include "preparejava/PrepareJava.h"

#include <string>
#include <vector>

struct ShippedFile {
    std::string sha256; // 64 lowercase hex digits
    std::wstring path;  // relative to the installation folder, with backslashes
};

// The list made at build time: UTF-8, one line per file, its SHA-256, a TAB,
// its path. Answers false, with `*badLine` (from 1), at a line that is not one
// or whose path leaves the installation folder.
bool ReadShippedList(const std::string &text, std::vector<ShippedFile> *files,
                     std::size_t *badLine);

// Removes each listed file under `folder` that is unchanged; a missing one is
// fine. Reports each file kept or failed, one line each; kFolderFailed when
// some file could not be removed or the list could not be read.
PrepareReport RemoveShippedFiles(seam::Platform &os, const std::wstring &folder,
                                 const std::wstring &listFile);
