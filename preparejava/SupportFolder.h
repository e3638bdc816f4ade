// Setup's support folder, C:\dovern\GsmModemJar: whatever lies there goes into
// Java elevated and the server loads Win32com.dll from it, so it is laid only
// in folders that no user can have touched.
#pragma once

#include "preparejava/PrepareJava.h"

#include <string>

// Keeps C:\dovern and GsmModemJar when Setup made them (its owner and exact
// protected DACL, no link) and replaces the four files there whole; moves
// anything else standing at either name aside as a whole, never following a
// link, never deleting, and makes fresh folders with the protected security,
// writing the four files from `source` fail-if-exists. One report line per
// thing done; kFolderFailed at the first step that fails.
PrepareReport LaySupportFolder(seam::Platform &os, const std::wstring &source);
