// Pieces of a machine that several tests lay out on the test double.
#pragma once

#include "tests/unit/FakePlatform.h"

#include <string>

inline const std::string kRuntimeKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
inline const std::wstring kSupportSource = L"C:\\dovern\\GsmModemJar\\";

// The four support files in their source folder, each holding "new <name>".
inline void AddSupportSources(FakePlatform &os) {
    for (const std::wstring name :
         {L"Comm.jar", L"javax.comm.properties", L"Win32com.dll", L"jdc.jar"})
        os.AddFile(kSupportSource + name, "new " + std::string(name.begin(), name.end()));
}

// The folders a runtime home must have for the support files to be copied.
inline void AddRuntimeFolders(FakePlatform &os, const std::wstring &home) {
    os.AddFolder(home + L"\\lib\\ext");
    os.AddFolder(home + L"\\bin");
}

// Runtime 1.6.0_45 registered at C:\Java\jre6, with its folders.
inline void AddJre6(FakePlatform &os) {
    os.SetString(kRuntimeKey + "\\1.6.0_45", "JavaHome", "C:\\Java\\jre6");
    AddRuntimeFolders(os, L"C:\\Java\\jre6");
}
