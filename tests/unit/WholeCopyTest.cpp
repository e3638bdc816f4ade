#include "javaruntime/WholeCopy.h"
#include "tests/unit/FakePlatform.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kSource = L"C:\\Media\\Comm.jar";
const std::wstring kFolder = L"C:\\Target\\";
const std::wstring kTarget = L"C:\\Target\\Comm.jar";

class WholeCopyTest : public ::testing::Test {
protected:
    void SetUp() override {
        os.AddFile(kSource, "new");
        os.AddFile(kTarget, "old");
    }
    FakePlatform os;
};

TEST_F(WholeCopyTest, ReplaceGivesTheExistingFileTheWholeCopy) {
    const mod_main::CopyFailure failure = mod_main::CopyWhole(os, kSource, kFolder, true);
    EXPECT_EQ(failure.error, 0u);
    EXPECT_EQ(os.FileContent(kTarget), "new");
    EXPECT_EQ(os.FilesBelow(kFolder).size(), 1u) << "no temporary left";
}

TEST_F(WholeCopyTest, WithoutReplaceTheExistingFileIsKept) {
    EXPECT_EQ(mod_main::CopyWhole(os, kSource, kFolder, false).error, 0u);
    EXPECT_EQ(os.FileContent(kTarget), "old");
}

TEST_F(WholeCopyTest, CopyCutShortNeverReplacesTheExistingFile) {
    os.namedFault = NamedFault{"CopyIntoFile", 0};
    const mod_main::CopyFailure failure = mod_main::CopyWhole(os, kSource, kFolder, true);
    EXPECT_NE(failure.error, 0u);
    EXPECT_EQ(os.FileContent(kTarget), "old");
    EXPECT_EQ(os.FilesBelow(kFolder).size(), 1u) << "no temporary left";
}

// Temporaries that copiers left behind.

TEST_F(WholeCopyTest, LeftoverOfACopierThatNoLongerRunsIsRemoved) {
    os.AddFile(kTarget + L".555.partial", "ne");
    os.AddFile(kTarget + L".556.partial", "ne");
    os.processes[556] = FakeProcess{false, 0, true}; // ended, its handle held elsewhere
    EXPECT_EQ(mod_main::CopyWhole(os, kSource, kFolder, true).error, 0u);
    EXPECT_EQ(os.FilesBelow(kFolder), std::vector<std::wstring>{L"C:\\TARGET\\COMM.JAR"});
}

// Its copier may be writing it: a process that runs, or one that cannot be
// looked at.
TEST_F(WholeCopyTest, LeftoverOfACopierThatMayRunIsKept) {
    os.AddFile(kTarget + L".777.partial", "ne");
    os.AddFile(kTarget + L".888.partial", "ne");
    os.processes[777] = FakeProcess{};
    os.processes[888] = FakeProcess{false, 0, false, true};
    EXPECT_EQ(mod_main::CopyWhole(os, kSource, kFolder, true).error, 0u);
    EXPECT_EQ(os.FileContent(kTarget), "new");
    EXPECT_EQ(os.FileContent(kTarget + L".777.partial"), "ne");
    EXPECT_EQ(os.FileContent(kTarget + L".888.partial"), "ne");
}

TEST_F(WholeCopyTest, LeftoverThatCannotBeRemovedIsNamedAndNothingCopied) {
    const std::wstring leftover = kFolder + L"Comm.jar.555.partial";
    os.AddFile(leftover, "ne");
    os.namedFault = NamedFault{"DeleteFile", 0};
    const mod_main::CopyFailure failure = mod_main::CopyWhole(os, kSource, kFolder, true);
    EXPECT_EQ(mod_main::DescribeCopyFailure(os, failure), L"Description of error 5\r\n" + leftover);
    EXPECT_EQ(os.FileContent(kTarget), "old");
    EXPECT_TRUE(os.copies.empty());
}

} // namespace
