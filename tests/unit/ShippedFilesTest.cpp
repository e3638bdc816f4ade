// The uninstaller's removal of shipped files: only what is unchanged goes,
// through the handle that read it, and a file that stays says why.
#include "preparejava/ShippedFiles.h"
#include "preparejava/PrepareJava.h"
#include "preparejava/Sha256.h"
#include "tests/unit/FakePlatform.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kFolder = L"C:\\Apps\\SMS";
const std::wstring kList = L"C:\\Temp\\shipped.txt";

std::string HashOf(const std::string &text) {
    Sha256 hash;
    Sha256Add(hash, reinterpret_cast<const std::uint8_t *>(text.data()), text.size());
    return Sha256Hex(hash);
}

PrepareReport Remove(FakePlatform &os) { return RemoveShippedFiles(os, kFolder, kList); }

TEST(Sha256, StandardVectors) {
    EXPECT_EQ(HashOf(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(HashOf("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(HashOf("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    EXPECT_EQ(HashOf(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

TEST(Sha256, PiecesAcrossBlocksHashAsTheWhole) {
    const std::string text(200, 'x');
    Sha256 hash;
    const auto *bytes = reinterpret_cast<const std::uint8_t *>(text.data());
    Sha256Add(hash, bytes, 63);
    Sha256Add(hash, bytes + 63, 2);
    Sha256Add(hash, bytes + 65, 135);
    EXPECT_EQ(Sha256Hex(hash), HashOf(text));
}

class ShippedFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        os.AddFile(kFolder + L"\\PrepareJava.exe", "helper");
        os.AddFile(kFolder + L"\\SMSServer\\conf\\server.properties", "port=1\n");
        list = HashOf("helper") + "\tPrepareJava.exe\n" + HashOf("port=1\n") +
               "\tSMSServer\\conf\\server.properties\n" + HashOf("gone") + "\tgone.txt\n";
    }
    void TearDown() override { EXPECT_TRUE(os.openFiles.empty()) << "file handle left open"; }
    PrepareReport Run() {
        os.AddFile(kList, list);
        return Remove(os);
    }
    FakePlatform os;
    std::string list;
};

TEST_F(ShippedFilesTest, UnchangedFilesGoAndAMissingOneIsFine) {
    const PrepareReport report = Run();
    EXPECT_EQ(report.exitCode, kFolderDone);
    EXPECT_TRUE(os.FilesBelow(kFolder).empty());
}

TEST_F(ShippedFilesTest, AChangedFileStaysAndIsNamed) {
    os.AddFile(kFolder + L"\\SMSServer\\conf\\server.properties", "port=2\n");
    const PrepareReport report = Run();
    EXPECT_EQ(report.exitCode, kFolderDone);
    EXPECT_EQ(report.text, L"kept, changed: C:\\Apps\\SMS\\SMSServer\\conf\\server.properties");
    EXPECT_EQ(os.FileContent(kFolder + L"\\SMSServer\\conf\\server.properties"), "port=2\n");
    EXPECT_FALSE(os.HasFile(kFolder + L"\\PrepareJava.exe"));
}

TEST_F(ShippedFilesTest, AFileInUseFailsTheRunAndTheRestStillGo) {
    os.filesInUse.insert(L"C:\\APPS\\SMS\\PREPAREJAVA.EXE");
    os.errorTexts[32] = L"The file is in use.";
    const PrepareReport report = Run();
    EXPECT_EQ(report.exitCode, kFolderFailed);
    EXPECT_EQ(report.text, L"not removed: C:\\Apps\\SMS\\PrepareJava.exe: The file is in use.");
    EXPECT_TRUE(os.HasFile(kFolder + L"\\PrepareJava.exe"));
    EXPECT_FALSE(os.HasFile(kFolder + L"\\SMSServer\\conf\\server.properties"));
}

TEST_F(ShippedFilesTest, ARemovalRefusedOrAReadThatFailsGivesStatusTwo) {
    os.undeletableFiles.insert(L"C:\\APPS\\SMS\\PREPAREJAVA.EXE");
    EXPECT_EQ(Run().exitCode, kFolderFailed);
    FakePlatform unreadable;
    unreadable.AddFile(kFolder + L"\\PrepareJava.exe", "helper");
    unreadable.AddFile(kList, HashOf("helper") + "\tPrepareJava.exe\n");
    unreadable.namedFault = NamedFault{"ReadOpenedFile", 0};
    EXPECT_EQ(Remove(unreadable).exitCode, kFolderFailed);
    EXPECT_TRUE(unreadable.HasFile(kFolder + L"\\PrepareJava.exe")) << "unhashed is not unchanged";
}

TEST_F(ShippedFilesTest, TheFileIsRemovedThroughTheHandleThatHashedIt) {
    Run();
    std::vector<std::string> calls;
    for (const std::string &call : os.calls)
        if (call != "ReadOpenedFile" && call != "ReadWholeFile") calls.push_back(call);
    EXPECT_EQ(calls, (std::vector<std::string>{
                         "OpenFileToRemove", "RemoveOpenedFile", "CloseHandle", "OpenFileToRemove",
                         "RemoveOpenedFile", "CloseHandle", "OpenFileToRemove"}));
}

TEST_F(ShippedFilesTest, AnUnreadableOrDamagedListRemovesNothing) {
    EXPECT_EQ(Remove(os).exitCode, kFolderFailed) << "no list";
    for (const std::string &damaged :
         {HashOf("x") + "\t..\\..\\Windows\\win.ini\n", HashOf("x") + "\tC:\\Windows\\win.ini\n",
          HashOf("x") + "\tconf\\\\x\n", HashOf("x").substr(1) + "\tx\n",
          std::string("E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855\tx\n"),
          HashOf("x") + " PrepareJava.exe\n", HashOf("x") + "\tbad\xC0\xAF\n"}) {
        list = HashOf("helper") + "\tPrepareJava.exe\n" + damaged;
        const PrepareReport report = Run();
        EXPECT_EQ(report.exitCode, kFolderFailed) << damaged;
        EXPECT_NE(report.text.find(L"damaged at line 2"), std::wstring::npos) << damaged;
        EXPECT_TRUE(os.HasFile(kFolder + L"\\PrepareJava.exe")) << damaged;
    }
}

TEST_F(ShippedFilesTest, ListInUtf8WithMarkAndCrLfNamesAnyLetter) {
    os.AddFile(kFolder + L"\\\x0421\x041C\x0421.txt", "sms");
    os.AddFile(kFolder + L"\\\xD83D\xDCE8.txt", "mail");
    list = "\xEF\xBB\xBF" + HashOf("sms") + "\t\xD0\xA1\xD0\x9C\xD0\xA1.txt\r\n" + HashOf("mail") +
           "\t\xF0\x9F\x93\xA8.txt\r\n";
    EXPECT_EQ(Run().exitCode, kFolderDone);
    EXPECT_FALSE(os.HasFile(kFolder + L"\\\x0421\x041C\x0421.txt"));
    EXPECT_FALSE(os.HasFile(kFolder + L"\\\xD83D\xDCE8.txt"));
}

TEST(RemoveShippedArguments, FolderWithoutTrailingSeparatorsAndExactlyTwoOperands) {
    const PrepareRequest request =
        ReadPrepareArguments({L"/RemoveShipped", L"C:\\Apps\\SMS\\\\", L"C:\\list.txt"});
    EXPECT_EQ(request.mode, PrepareRequest::Mode::RemoveShipped);
    EXPECT_EQ(request.folder, L"C:\\Apps\\SMS");
    EXPECT_EQ(request.operands, (std::vector<std::wstring>{L"C:\\Apps\\SMS", L"C:\\list.txt"}));
    for (const auto &wrong : std::vector<std::vector<std::wstring>>{
             {L"/removeshipped", L"C:\\Apps\\SMS"}, {L"/removeshipped", L"", L"C:\\list.txt"}}) {
        const PrepareRequest usage = ReadPrepareArguments(wrong);
        EXPECT_TRUE(usage.toOutput) << "never a box that a silent uninstall would wait on";
        FakePlatform os;
        EXPECT_EQ(RunPrepareJava(os, usage).exitCode, kWrongUsage);
    }
}

} // namespace
