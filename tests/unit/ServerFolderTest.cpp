// What the launch sequence does with the folder it lies in before it prepares
// anything: a missing SMSServer folder, and folder names that java.exe, which
// reads its command line in the ANSI code page, cannot receive.
#include "launcher/CommandLine.h"
#include "tests/unit/LauncherRunTest.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kTitle = L"Dovern Professional SMS Server";
// "Сервер СМС": no Western code page can write it.
const std::wstring kCyrillic = L"C:\\Apps\\\x0421\x0435\x0440\x0432\x0435\x0440 \x0421\x041c\x0421";

class ServerFolderTest : public LauncherRunTest {
protected:
    // Installs the launcher in `folder`, beside the server's SMSServer folder.
    void InstallIn(const std::wstring &folder) {
        os.appDirectory = folder;
        os.AddFolder(folder + L"\\SMSServer");
    }

    // Installs the launcher in `folder`, whose short form is `shortForm`, and
    // answers how its first tick started the server.
    StartedProcess StartedFrom(const std::wstring &folder, const std::wstring &shortForm) {
        InstallIn(folder);
        os.shortNames[folder] = shortForm;
        splash.RunUntil(2000);
        EXPECT_TRUE(os.boxes.empty());
        EXPECT_EQ(os.started.size(), 1u);
        return os.started.empty() ? StartedProcess{} : os.started[0];
    }

    // The launcher ends at its first tick with one box and status 1, having
    // searched, copied and started nothing; answers the box's text.
    std::wstring RefusedWith() {
        splash.RunUntil(100000);
        EXPECT_EQ(os.endedWith, 1);
        EXPECT_EQ(os.now, 2000u);
        EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "RegOpenKeyExA"), 0)
            << "no runtime search";
        EXPECT_TRUE(os.copies.empty());
        EXPECT_TRUE(os.started.empty());
        EXPECT_EQ(os.currentDirectory, L"C:\\Users\\me");
        if (os.boxes.size() != 1u) {
            ADD_FAILURE() << os.boxes.size() << " boxes";
            return L"";
        }
        EXPECT_EQ(os.boxes[0].second, kTitle);
        return os.boxes[0].first;
    }
};

TEST_F(ServerFolderTest, LauncherAloneInAFolderNamesTheFolderItLookedFor) {
    os.appDirectory = L"C:\\Users\\me\\Downloads";
    EXPECT_EQ(RefusedWith(), L"The server's folder was not found:\r\n"
                             L"C:\\Users\\me\\Downloads\\SMSServer\r\n"
                             L"Put DovernProfessionalSMSServer.exe in the folder that holds the "
                             L"server's SMSServer folder, and start it from there.");
}

TEST_F(ServerFolderTest, FileNamedSMSServerIsNoServerFolder) {
    os.appDirectory = L"C:\\Users\\me\\Desktop";
    os.AddFile(L"C:\\Users\\me\\Desktop\\SMSServer", "a shortcut, say");
    EXPECT_NE(RefusedWith().find(L"C:\\Users\\me\\Desktop\\SMSServer\r\n"), std::wstring::npos);
}

TEST_F(ServerFolderTest, FolderThatCannotBeLookedAtIsLeftToTheServer) {
    os.appDirectory = L"\\\\server\\share";
    os.namedFault = NamedFault{"FolderExists", 0};
    splash.RunUntil(2000);
    EXPECT_EQ(os.started.size(), 1u);
    EXPECT_TRUE(os.boxes.empty());
}

TEST_F(ServerFolderTest, NameEveryCodePageWritesKeepsTheCommandLineByteForByte) {
    const std::wstring western = L"C:\\Programme\\Dovern SMS-Server (\x00e9t\x00e9)";
    const StartedProcess server = StartedFrom(western, L"C:\\PROGRA~1\\DOVERN~1");
    EXPECT_EQ(server.commandLine, BuildServerCommandLine(western, L"C:\\Java\\jre6"));
    EXPECT_EQ(server.currentDirectory, western);
    EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "ShortPathName"), 0);
}

TEST_F(ServerFolderTest, NameTheCodePageCannotWriteTravelsInItsShortForm) {
    const std::wstring shortForm = L"C:\\Apps\\____~DT3";
    const StartedProcess server = StartedFrom(kCyrillic, shortForm);
    EXPECT_EQ(server.commandLine, BuildServerCommandLine(shortForm, L"C:\\Java\\jre6"));
    EXPECT_EQ(server.currentDirectory, shortForm);
    EXPECT_EQ(os.currentDirectory, L"C:\\Users\\me") << "the saved directory comes back";
}

TEST_F(ServerFolderTest, NameWithoutAnyFormJavaCanReceiveIsToldAndNothingStarts) {
    InstallIn(kCyrillic); // 8.3 names turned off: the short form is the long one
    EXPECT_EQ(RefusedWith(),
              L"Java cannot be started from the folder\r\n" + kCyrillic +
                  L"\r\nJava reads folder names in the system's code page, which cannot write "
                  L"this name. The folder has no short name that would do instead.\r\nMove "
                  L"DovernProfessionalSMSServer.exe and its SMSServer folder to a folder whose "
                  L"name has only letters of the system's language and no \";\".");
    EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "CreateNamedLock"), 0);
}

// A best-fit mapping would hand Java "l" for "ł": another folder, or none.
TEST_F(ServerFolderTest, BestFitLetterCountsAsNotWritten) {
    const std::wstring polish = L"C:\\Apps\\Serwer \x0142\x0105czno\x015b\x0107";
    EXPECT_EQ(StartedFrom(polish, L"C:\\Apps\\SERWER~1").currentDirectory, L"C:\\Apps\\SERWER~1");
}

TEST_F(ServerFolderTest, SemicolonWouldSplitAnEntryAndIsAvoidedOrTold) {
    const std::wstring withSemicolon = L"C:\\Apps\\SMS;Server";
    EXPECT_EQ(StartedFrom(withSemicolon, L"C:\\Apps\\SMSSER~1").commandLine,
              BuildServerCommandLine(L"C:\\Apps\\SMSSER~1", L"C:\\Java\\jre6"));

    FakePlatform bare; // no short names on this volume
    FakeSplash run(bare);
    bare.appDirectory = withSemicolon;
    bare.AddFolder(withSemicolon + L"\\SMSServer");
    run.RunUntil(100000);
    EXPECT_EQ(bare.endedWith, 1);
    ASSERT_EQ(bare.boxes.size(), 1u);
    EXPECT_NE(bare.boxes[0].first.find(L"Its name holds a \";\", which would split Java's class "
                                       L"path."),
              std::wstring::npos);
    EXPECT_TRUE(bare.started.empty());
}

TEST_F(ServerFolderTest, ShortFormThatStillCannotBeWrittenIsTold) {
    InstallIn(kCyrillic);
    os.shortNames[kCyrillic] = L"C:\\Apps\\\x0421\x0415\x0420\x0412\x0415\x0420~1";
    RefusedWith();
}

} // namespace
