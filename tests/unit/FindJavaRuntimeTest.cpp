#include "common/Globals.h"
#include "javaruntime/mod_main.h"
#include "tests/unit/FakePlatform.h"
#include "tests/unit/LauncherWorld.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kTitle = L"Dovern Professional SMS Server";

class FindJavaRuntimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        gJavaHome = L"left over";
        AddSupportSources(os);
    }

    void AddRuntime(const std::string &version, const std::string &home) {
        os.AddKey(kRuntimeKey + "\\" + version);
        if (!home.empty()) {
            os.SetString(kRuntimeKey + "\\" + version, "JavaHome", home);
            AddRuntimeFolders(os, std::wstring(home.begin(), home.end()));
        }
    }

    std::optional<int> Run() {
        try {
            mod_main::FindJavaRuntime(os, [this](const std::wstring &text) {
                os.MessageBox(text, kTitle);
                os.EndProgram(1);
            });
        } catch (const ProgramEnded &ended) {
            return ended.exitCode;
        }
        return std::nullopt;
    }

    std::vector<std::wstring> BoxTexts() const {
        std::vector<std::wstring> texts;
        for (const auto &[text, caption] : os.boxes) {
            EXPECT_EQ(caption, kTitle);
            texts.push_back(text);
        }
        return texts;
    }

    void TearDown() override { EXPECT_TRUE(os.openKeys.empty()); }

    FakePlatform os;
};

TEST_F(FindJavaRuntimeTest, NoRuntimeKeyShowsM1AndEnds) {
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(
        BoxTexts(),
        (std::vector<std::wstring>{
            L"You have not Installed Java Runtime Environment on your computer.\r\n"
            L"Download and install Java Runtime Environment Version 1.5 or higher version.\r\n"
            L"Please refer installtion guide of Dovern SMS Server 4 Huawei 3G/HSDPA for "
            L"further help"}));
    EXPECT_TRUE(os.copies.empty());
}

TEST_F(FindJavaRuntimeTest, NoSuitableVersionShowsM2AndEnds) {
    const std::wstring m2 =
        L"Java Runtime Environment version 1.5 or higher version is not avaiable";
    os.AddKey(kRuntimeKey);
    EXPECT_EQ(Run(), 1);
    AddRuntime("1.4", "C:\\j14");
    AddRuntime("1.4.2_19", "C:\\j142");
    os.boxes.clear();
    EXPECT_EQ(Run(), 1);
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{m2}));
    EXPECT_EQ(os.queries, 0);
}

TEST_F(FindJavaRuntimeTest, FirstSuitableNameInEnumerationOrderWins) {
    for (const char *v : {"1.4", "1.4.2_19", "1.6", "1.6.0_45", "1.8"})
        AddRuntime(v, std::string("C:\\Java\\") + v);
    EXPECT_EQ(Run(), std::nullopt);
    EXPECT_EQ(gJavaHome, L"C:\\Java\\1.6");
    EXPECT_TRUE(os.boxes.empty());
    EXPECT_EQ(os.copies.size(), 4u);
    EXPECT_TRUE(os.HasFile(L"C:\\Java\\1.6\\lib\\ext\\Comm.jar"));
}

TEST_F(FindJavaRuntimeTest, WholeChosenNameIsUsedAndHomeKeptExactly) {
    AddRuntime("1.5.0_22", "C:\\Program Files\\Java\\jre1.5.0_22\\");
    EXPECT_EQ(Run(), std::nullopt);
    EXPECT_EQ(gJavaHome, L"C:\\Program Files\\Java\\jre1.5.0_22\\");
    EXPECT_TRUE(os.HasFile(L"C:\\Program Files\\Java\\jre1.5.0_22\\lib\\ext\\jdc.jar"));
    ASSERT_FALSE(os.commits.empty());
    EXPECT_EQ(os.commits[0], L"C:\\Program Files\\Java\\jre1.5.0_22\\\\lib\\ext\\Comm.jar");
}

TEST_F(FindJavaRuntimeTest, ShortNameIsReadWhole) {
    AddRuntime("9", "C:\\jdk9");
    EXPECT_EQ(Run(), std::nullopt);
    EXPECT_EQ(gJavaHome, L"C:\\jdk9");
}

TEST_F(FindJavaRuntimeTest, NameThatIsNoNumberStopsTheSearchWithTwoBoxes) {
    AddRuntime("jre", "C:\\jre");
    AddRuntime("1.6", "C:\\j16");
    EXPECT_EQ(Run(), std::nullopt);
    EXPECT_EQ(BoxTexts(), (std::vector<std::wstring>{
                              L"Type mismatch", L"Error While Searching JVM on Your Machine"}));
    EXPECT_EQ(gJavaHome, L"");
    EXPECT_EQ(os.queries, 0);
}

TEST_F(FindJavaRuntimeTest, DecimalCommaRegionsCannotPickAnOldRuntime) {
    AddRuntime("1,6", "C:\\odd");
    AddRuntime("1.4", "C:\\j14");
    EXPECT_EQ(Run(), std::nullopt);
    ASSERT_FALSE(BoxTexts().empty());
    EXPECT_EQ(BoxTexts().front(), L"Type mismatch");
}

TEST_F(FindJavaRuntimeTest, MissingJavaHomeIsReportedAndTheLaunchGoesOn) {
    AddRuntime("1.6", "");
    EXPECT_EQ(Run(), std::nullopt);
    EXPECT_EQ(BoxTexts(),
              (std::vector<std::wstring>{L"Unsupported value type",
                                         L"Error While Searching JVM on Your Machine"}));
    EXPECT_EQ(gJavaHome, L"");
    EXPECT_TRUE(os.copies.empty());
}

TEST_F(FindJavaRuntimeTest, EmptyTextJavaHomeIsQuiet) {
    AddRuntime("1.6", "");
    os.SetString(kRuntimeKey + "\\1.6", "JavaHome", "");
    EXPECT_EQ(Run(), std::nullopt);
    EXPECT_TRUE(os.boxes.empty());
    EXPECT_EQ(gJavaHome, L"");
    EXPECT_EQ(std::count(os.calls.begin(), os.calls.end(), "FileExists"), 0);
}

TEST_F(FindJavaRuntimeTest, JavaHomeOfSizeZeroIsInvalidArgument) {
    AddRuntime("1.6", "");
    os.SetValue(kRuntimeKey + "\\1.6", "JavaHome", FakePlatform::Bytes(1, ""));
    EXPECT_EQ(Run(), std::nullopt);
    EXPECT_EQ(BoxTexts(),
              (std::vector<std::wstring>{L"Invalid procedure call or argument",
                                         L"Error While Searching JVM on Your Machine"}));
}

TEST_F(FindJavaRuntimeTest, DwordJavaHomeReadsAsItsDigitsBinaryAsMismatch) {
    AddRuntime("1.6", "");
    os.SetValue(kRuntimeKey + "\\1.6", "JavaHome",
                FakePlatform::Bytes(4, std::string("\x2a\0\0\0", 4)));
    AddRuntimeFolders(os, L"42");
    EXPECT_EQ(Run(), std::nullopt);
    EXPECT_EQ(gJavaHome, L"42");
    os.SetValue(kRuntimeKey + "\\1.6", "JavaHome", FakePlatform::Bytes(3, "C:\\"));
    EXPECT_EQ(Run(), std::nullopt);
    ASSERT_FALSE(BoxTexts().empty());
    EXPECT_EQ(BoxTexts().front(), L"Type mismatch");
    EXPECT_EQ(gJavaHome, L"");
}

TEST_F(FindJavaRuntimeTest, JavaHomeEndsAtItsFirstNulOrKeepsItsLastCharacter) {
    AddRuntime("1.6", "C:\\Java\\jre6");
    os.SetValue(kRuntimeKey + "\\1.6", "JavaHome",
                FakePlatform::Bytes(1, std::string("C:\\Java\\jre6\0\0\0\0\0", 17)));
    EXPECT_EQ(Run(), std::nullopt);
    EXPECT_EQ(gJavaHome, L"C:\\Java\\jre6");
    EXPECT_TRUE(os.HasFile(L"C:\\Java\\jre6\\lib\\ext\\Comm.jar"));
    EXPECT_TRUE(os.boxes.empty());

    os.SetValue(kRuntimeKey + "\\1.6", "JavaHome", FakePlatform::Bytes(1, "C:\\Java\\jre6"));
    EXPECT_EQ(Run(), std::nullopt);
    EXPECT_EQ(gJavaHome, L"C:\\Java\\jre6") << "stored without its terminator";
}

TEST_F(FindJavaRuntimeTest, AnyStandardExceptionIsReportedWithItsDescription) {
    AddRuntime("1.6", "C:\\Java\\jre6");
    os.namedFault = NamedFault{"FromAnsi", 0, FaultKind::LengthError};
    EXPECT_EQ(Run(), std::nullopt) << "the search returns; the launch goes on";
    EXPECT_EQ(BoxTexts(),
              (std::vector<std::wstring>{L"basic_string::_M_create",
                                         L"Error While Searching JVM on Your Machine"}));
    EXPECT_EQ(gJavaHome, L"");
    EXPECT_TRUE(os.copies.empty());
}

} // namespace
