// Folders that only administrators may change, made so in the call that
// creates them: there is no moment at which a user could write there.
#pragma once

#include "preparejava/PrepareJava.h"
#include "seam/FolderSecurity.h"

#include <string>

inline constexpr const wchar_t *kAdministratorsSid = L"S-1-5-32-544";
inline constexpr const wchar_t *kSystemSid = L"S-1-5-18";
inline constexpr const wchar_t *kUsersSid = L"S-1-5-32-545";

// Owner Administrators; a protected DACL, inherited by everything below:
// Administrators and SYSTEM full control, Users read and execute. Specific
// rights only, so that the DACL reads back exactly as it was given.
seam::FolderSecurity ProtectedSecurity();

// Setup's folder: a folder itself, no link, with exactly the protected
// security. What cannot be read is not Setup's.
bool IsSetupsFolder(const seam::PathState &state);

// Makes the folders above `path` that are missing, with the default security,
// each made one added to `*made`; answers 0 or the error number of one that
// could not be made.
std::uint32_t MakeParents(seam::Platform &os, const std::wstring &path,
                          std::vector<std::wstring> *made);

// Makes `path` new, missing parents first, with the protected security; it
// fails when anything stands there already.
PrepareReport MakeProtectedFolder(seam::Platform &os, const std::wstring &path);
