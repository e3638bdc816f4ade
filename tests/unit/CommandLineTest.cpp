#include "launcher/CommandLine.h"
#include "tests/unit/WindowsArgv.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kWorkedExample =
    L"C:\\Java\\jre6\\bin\\java.exe -classpath \"C:\\Apps\\Server\\SMSServer\\lib\\comm.jar\";"
    L"\"C:\\Apps\\Server\\SMSServer\\lib\\jdc.jar\";\"C:\\Apps\\Server\\SMSServer\\lib\\jxl.jar\";"
    L"\"C:\\Apps\\Server\\SMSServer\\lib\\log4j-1.2.8.jar\";"
    L"\"C:\\Apps\\Server\\SMSServer\\lib\\slf4j-api-1.1.0.jar\";"
    L"\"C:\\Apps\\Server\\SMSServer\\lib\\slf4j-log4j12-1.1.0.jar\";"
    L"\"C:\\Apps\\Server\\SMSServer\\lib\\slf4j-simple-1.1.0.jar\";"
    L"\"C:\\Apps\\Server\\SMSServer\\lib\\swing-layout-1.0.jar\";"
    L"\"C:\\Apps\\Server\\SMSServer\\Dovern_Professional_SMS_Server.jar\";"
    L"\"C:\\Apps\\Server\\SMSServer\" JavaSwingClasses.MainFrame";

TEST(ServerCommandLine, WorkedExampleWithRuntimeHome) {
    const std::wstring line = BuildServerCommandLine(L"C:\\Apps\\Server", L"C:\\Java\\jre6");
    EXPECT_EQ(line, kWorkedExample);
    EXPECT_EQ(line.size(), 529u);
}

TEST(ServerCommandLine, EmptyHomeStartsWithJavaFromTheProgramSearch) {
    const std::wstring line = BuildServerCommandLine(L"C:\\Apps\\Server", L"");
    EXPECT_EQ(line, L"java " + kWorkedExample.substr(
                                   std::wstring(L"C:\\Java\\jre6\\bin\\java.exe ").size()));
    EXPECT_EQ(line.size(), 508u);
}

TEST(ServerCommandLine, RuntimeReceivesClassPathAsOneArgumentAndMainClassLast) {
    for (const std::wstring appDirectory :
         {L"C:\\Apps\\Server", L"C:\\Program Files\\Dovern SMS"}) {
        const auto args =
            SplitWindowsCommandLine(BuildServerCommandLine(appDirectory, L"C:\\Java\\jre6"));
        ASSERT_EQ(args.size(), 4u);
        EXPECT_EQ(args[0], L"C:\\Java\\jre6\\bin\\java.exe");
        EXPECT_EQ(args[1], L"-classpath");
        const std::wstring lib = appDirectory + L"\\SMSServer\\lib\\";
        EXPECT_EQ(args[2], lib + L"comm.jar;" + lib + L"jdc.jar;" + lib + L"jxl.jar;" + lib +
                               L"log4j-1.2.8.jar;" + lib + L"slf4j-api-1.1.0.jar;" + lib +
                               L"slf4j-log4j12-1.1.0.jar;" + lib + L"slf4j-simple-1.1.0.jar;" +
                               lib + L"swing-layout-1.0.jar;" + appDirectory +
                               L"\\SMSServer\\Dovern_Professional_SMS_Server.jar;" + appDirectory +
                               L"\\SMSServer");
        EXPECT_EQ(args[3], L"JavaSwingClasses.MainFrame");
    }
}

TEST(ServerCommandLine, HomeWithBlankOrTabIsQuotedAsOneProgramPath) {
    for (const std::wstring home : {L"C:\\Program Files\\Java\\jre6", L"C:\\Java\\jre\t6"}) {
        const std::wstring line = BuildServerCommandLine(L"C:\\Apps\\Server", home);
        EXPECT_EQ(line.rfind(L"\"" + home + L"\\bin\\java.exe\" -classpath \"", 0), 0u);
        const auto args = SplitWindowsCommandLine(line);
        ASSERT_EQ(args.size(), 4u);
        EXPECT_EQ(args[0], home + L"\\bin\\java.exe");
        EXPECT_EQ(args[3], L"JavaSwingClasses.MainFrame");
    }
}

TEST(ServerCommandLine, DirectoriesAreUsedUnchanged) {
    const std::wstring line = BuildServerCommandLine(L"C:\\", L"C:\\jre\\");
    EXPECT_EQ(
        line.rfind(L"C:\\jre\\\\bin\\java.exe -classpath \"C:\\\\SMSServer\\lib\\comm.jar\";", 0),
        0u);
    EXPECT_NE(line.find(L"\"C:\\\\SMSServer\" JavaSwingClasses.MainFrame"), std::wstring::npos);
}

} // namespace
