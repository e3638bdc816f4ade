// PrepareJava.exe's report of Java: every runtime registered for 32-bit
// programs, the launcher's choice and why, and what stands in the way when it
// has none.
#include "preparejava/JavaReport.h"
#include "tests/unit/LauncherWorld.h"

#include <gtest/gtest.h>

namespace {

// The launcher's own box texts, which the report quotes.
constexpr const wchar_t *kSaysNoRuntime =
    L"The launcher says: You have not Installed Java Runtime Environment on your computer.\r\n"
    L"Download and install Java Runtime Environment Version 1.5 or higher version.\r\n"
    L"Please refer installtion guide of Dovern SMS Server 4 Huawei 3G/HSDPA for further help";

const std::string kRuntimeKey64 = FakePlatform::kView64Prefix + kRuntimeKey;

bool Holds(const std::wstring &text, const std::wstring &part) {
    return text.find(part) != std::wstring::npos;
}

TEST(JavaReport, ListsEveryRuntimeAndMarksTheFirstSuitableInRegistryOrder) {
    FakePlatform os;
    os.SetString(kRuntimeKey + "\\1.4.2_19", "JavaHome", "C:\\Java\\old");
    AddJre6(os);
    os.SetString(kRuntimeKey + "\\1.8.0_401", "JavaHome", "C:\\Java\\jre8");
    AddRuntimeFolders(os, L"C:\\Java\\jre8");
    AddSupportSources(os);
    const PrepareReport report = PrepareJavaReport(os);
    EXPECT_EQ(report.exitCode, kPrepared);
    EXPECT_EQ(report.text,
              L"Java Runtime Environments registered for 32-bit programs, in the registry's "
              L"order:\r\n"
              L"  1.4.2_19: C:\\Java\\old (older than 1.5)\r\n"
              L"  1.6.0_45: C:\\Java\\jre6 (chosen)\r\n"
              L"  1.8.0_401: C:\\Java\\jre8\r\n"
              L"Chosen: 1.6.0_45, the first of version 1.5 or later in the registry's order, as "
              L"the launcher chooses.\r\n"
              L"Copied: C:\\Java\\jre6\\lib\\ext\\Comm.jar\r\n"
              L"Copied: C:\\Java\\jre6\\lib\\javax.comm.properties\r\n"
              L"Copied: C:\\Java\\jre6\\bin\\Win32com.dll\r\n"
              L"Copied: C:\\Java\\jre6\\lib\\ext\\jdc.jar\r\n"
              L"The serial-port support files are in place.\r\n"
              L"A server that is already running keeps its Java until it is restarted.");
    EXPECT_TRUE(os.FilesBelow(L"C:\\Java\\jre8").empty()) << "only the launcher's choice is copied";
    EXPECT_TRUE(os.openKeys.empty());
}

TEST(JavaReport, ARuntimeWhoseFolderCannotBeReadIsListedAndTheChoiceStillPrepared) {
    FakePlatform os;
    os.AddKey(kRuntimeKey + "\\1.4");
    AddJre6(os);
    AddSupportSources(os);
    const PrepareReport report = PrepareJavaReport(os);
    EXPECT_EQ(report.exitCode, kPrepared);
    EXPECT_TRUE(Holds(report.text, L"\r\n  1.4: (no folder: "));
    EXPECT_TRUE(Holds(report.text, L"\r\n  1.6.0_45: C:\\Java\\jre6 (chosen)\r\n"));
}

TEST(JavaReport, OnlyA64BitJavaIsNamedWithTheLaunchersOwnWords) {
    FakePlatform os;
    os.SetString(kRuntimeKey64 + "\\1.8.0_401", "JavaHome", "C:\\Program Files\\Java\\jre8");
    AddSupportSources(os);
    const PrepareReport report = PrepareJavaReport(os);
    EXPECT_EQ(report.exitCode, kNoRuntime);
    EXPECT_EQ(report.text.rfind(std::wstring(kSaysNoRuntime), 0), 0u);
    EXPECT_TRUE(Holds(report.text,
                      L"\r\nA 64-bit Java is installed; the serial-port library needs a 32-bit "
                      L"one:\r\n  1.8.0_401: C:\\Program Files\\Java\\jre8\r\n"));
    EXPECT_TRUE(os.copies.empty());
    EXPECT_TRUE(os.openKeys.empty());
}

TEST(JavaReport, AnOld32BitJavaBesideA64BitOneGetsTheLaunchersVersionText) {
    FakePlatform os;
    os.SetString(kRuntimeKey + "\\1.4.2_19", "JavaHome", "C:\\Java\\old");
    os.SetString(kRuntimeKey64 + "\\1.8.0_401", "JavaHome", "C:\\Program Files\\Java\\jre8");
    const PrepareReport report = PrepareJavaReport(os);
    EXPECT_EQ(report.exitCode, kNoRuntime);
    EXPECT_TRUE(
        Holds(report.text,
              L"  1.4.2_19: C:\\Java\\old (older than 1.5)\r\nThe launcher "
              L"says: Java Runtime Environment version 1.5 or higher version is not avaiable"));
    EXPECT_TRUE(Holds(report.text, L"A 64-bit Java is installed"));
}

// 32-bit Windows ignores the 64-bit view's flag: what it reads then is the
// program's own view again, no 64-bit Java.
TEST(JavaReport, OneRegistryViewIsNoSignOfA64BitJava) {
    FakePlatform os;
    os.oneRegistryView = true;
    os.SetString(kRuntimeKey + "\\1.4.2_19", "JavaHome", "C:\\Java\\old");
    const PrepareReport report = PrepareJavaReport(os);
    EXPECT_EQ(report.exitCode, kNoRuntime);
    EXPECT_FALSE(Holds(report.text, L"64-bit"));
    EXPECT_TRUE(Holds(report.text, L"\r\nNo other Java is registered on this computer.\r\n"));
}

TEST(JavaReport, NoJavaAtAllSaysSoAndWhatToDo) {
    FakePlatform os;
    const PrepareReport report = PrepareJavaReport(os);
    EXPECT_EQ(report.exitCode, kNoRuntime);
    EXPECT_EQ(report.text, std::wstring(kSaysNoRuntime) +
                               L"\r\nNo other Java is registered on this computer.\r\n"
                               L"Install a 32-bit Java Runtime Environment 1.5 or later, then run "
                               L"\"Prepare Java for Dovern SMS Server\" from the Start menu.");
}

} // namespace
