// Setup's decision whether a folder that holds files is what this product's
// uninstaller left (install.log and what it kept: the server's data, files
// changed since), in a folder that only administrators could have changed
// since: Setup installs into such a folder as over an earlier version.
#pragma once

#include "preparejava/PrepareJava.h"

#include <string>
#include <vector>

inline constexpr int kOtherFolder = 30; // /leftover: not such a folder, the report says why

// kFolderDone when `folder` is a folder itself (no link), below one of
// `programFiles` or with Setup's protected security, and holds either the
// install.log of this product whose last run is an uninstall that kept the
// folder, or only files that the next restart deletes with the folder itself
// (the uninstaller's own running file). kOtherFolder otherwise, and
// kFolderFailed when what decides cannot be read; the report says why.
PrepareReport CheckLeftoverFolder(seam::Platform &os, const std::wstring &folder,
                                  const std::vector<std::wstring> &programFiles);
