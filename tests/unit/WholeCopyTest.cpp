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
    os.namedFault = NamedFault{"CopyFile", 0};
    const mod_main::CopyFailure failure = mod_main::CopyWhole(os, kSource, kFolder, true);
    EXPECT_NE(failure.error, 0u);
    EXPECT_EQ(os.FileContent(kTarget), "old");
    EXPECT_EQ(os.FilesBelow(kFolder).size(), 1u) << "no temporary left";
}

} // namespace
