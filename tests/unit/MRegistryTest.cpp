#include "javaruntime/MRegistry.h"
#include "seam/AppError.h"
#include "tests/unit/FakePlatform.h"

#include <gtest/gtest.h>

namespace {

using MRegistry::RegValue;
const seam::RegKey HKLM = seam::kHKeyLocalMachine;

class MRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { os.AddKey("SOFTWARE\\Test"); }

    RegValue Query(const std::string &type, const std::string &bytes, std::uint32_t typeNumber) {
        os.SetValue("SOFTWARE\\Test", type, FakePlatform::Bytes(typeNumber, bytes));
        return MRegistry::RegQueryValue(os, HKLM, L"SOFTWARE\\Test",
                                        std::wstring(type.begin(), type.end()));
    }

    std::uint32_t ErrorOf(const std::function<void()> &call) {
        try {
            call();
        } catch (const seam::AppError &error) {
            return error.number;
        }
        return 0;
    }

    void TearDown() override {
        EXPECT_TRUE(os.openKeys.empty()) << "a registry key was left open";
        EXPECT_EQ(os.rootCloses, 0) << "the root must never be closed";
    }

    FakePlatform os;
};

TEST_F(MRegistryTest, KeyExistsOpensReadOnlyAndClosesAtOnce) {
    EXPECT_TRUE(MRegistry::RegKeyExists(os, HKLM, L"SOFTWARE\\Test"));
    EXPECT_FALSE(MRegistry::RegKeyExists(os, HKLM, L"SOFTWARE\\Missing"));
    EXPECT_EQ(os.calls, (std::vector<std::string>{"ToAnsi", "RegOpenKeyExA", "RegCloseKey",
                                                  "ToAnsi", "RegOpenKeyExA"}));
}

TEST_F(MRegistryTest, SubKeysComeWholeInEnumerationOrder) {
    for (const char *name : {"1.6", "1.4.2_19", "zeta", "1.8.0_451"})
        os.AddKey(std::string("SOFTWARE\\Test\\") + name);
    EXPECT_EQ(MRegistry::RegEnumSubKeys(os, HKLM, L"SOFTWARE\\Test"),
              (std::vector<std::wstring>{L"1.6", L"1.4.2_19", L"zeta", L"1.8.0_451"}));
    EXPECT_EQ(os.enumerations, 5); // four names and the end of the list
    ASSERT_EQ(os.enumBuffers.size(), 5u);
    for (const std::string &buffer : os.enumBuffers)
        EXPECT_EQ(buffer, std::string(260, ' ')) << "each step starts from 260 blanks";
}

TEST_F(MRegistryTest, SubKeysOfMissingOrEmptyKeyAreAnEmptyList) {
    EXPECT_TRUE(MRegistry::RegEnumSubKeys(os, HKLM, L"SOFTWARE\\Missing").empty());
    EXPECT_TRUE(MRegistry::RegEnumSubKeys(os, HKLM, L"SOFTWARE\\Test").empty());
}

TEST_F(MRegistryTest, EmptyPathListsTheRootWithoutClosingIt) {
    EXPECT_EQ(MRegistry::RegEnumSubKeys(os, HKLM, L""), (std::vector<std::wstring>{L"SOFTWARE"}));
    ASSERT_FALSE(os.calls.empty());
    EXPECT_EQ(os.calls.front(), "RegEnumKeyA");
}

TEST_F(MRegistryTest, EnumerationFailureEndsTheListWithTheNamesSoFar) {
    os.AddKey("SOFTWARE\\Test\\a");
    os.AddKey("SOFTWARE\\Test\\b");
    os.namedFault = NamedFault{"RegEnumKeyA", 1};
    EXPECT_EQ(MRegistry::RegEnumSubKeys(os, HKLM, L"SOFTWARE\\Test"),
              (std::vector<std::wstring>{L"a"}));
}

TEST_F(MRegistryTest, TextValuesDropTheirTerminator) {
    EXPECT_EQ(Query("Home", std::string("C:\\Java\\jre") + '\0', 1),
              RegValue(std::wstring(L"C:\\Java\\jre")));
    EXPECT_EQ(Query("Empty", std::string(1, '\0'), 1), RegValue(std::wstring()));
    EXPECT_EQ(Query("Expand", std::string("%SystemRoot%\\x") + '\0', 2),
              RegValue(std::wstring(L"%SystemRoot%\\x")));
    EXPECT_EQ(Query("Latin1", std::string("Caf\xe9") + '\0', 1),
              RegValue(std::wstring(L"Caf\u00e9")));
}

TEST_F(MRegistryTest, TextValuesEndAtTheirFirstNulOrKeepEveryByteWithoutOne) {
    EXPECT_EQ(Query("Padded", std::string("C:\\Java\\jre6\0\0\0\0", 16), 1),
              RegValue(std::wstring(L"C:\\Java\\jre6")));
    EXPECT_EQ(Query("Tail", std::string("C:\\a\0junk\0", 10), 2), RegValue(std::wstring(L"C:\\a")));
    EXPECT_EQ(Query("Bare", "C:\\Java\\jre6", 1), RegValue(std::wstring(L"C:\\Java\\jre6")));
    EXPECT_EQ(Query("BareExpand", "%JAVA%", 2), RegValue(std::wstring(L"%JAVA%")));
    const std::string large = std::string(1500, 'p') + std::string(600, '\0');
    EXPECT_EQ(Query("LargePadded", large, 1), RegValue(std::wstring(1500, L'p')));
}

TEST_F(MRegistryTest, MultiStringIsOneTextWithItsInnerNulsKept) {
    EXPECT_EQ(Query("Multi", std::string("a\0b\0\0", 5), 7), RegValue(std::wstring(L"a\0b", 3)));
}

TEST_F(MRegistryTest, DwordIsSignedLittleEndian) {
    EXPECT_EQ(Query("One", std::string("\x01\0\0\0", 4), 4), RegValue(std::int32_t{1}));
    EXPECT_EQ(Query("All", std::string("\xff\xff\xff\xff", 4), 4), RegValue(std::int32_t{-1}));
    EXPECT_EQ(Query("Mixed", std::string("\x78\x56\x34\x12", 4), 4),
              RegValue(std::int32_t{0x12345678}));
}

TEST_F(MRegistryTest, BinaryHasExactlyItsSize) {
    EXPECT_EQ(Query("Three", "\x01\x02\x03", 3), RegValue(std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(Query("None", "", 3), RegValue(std::vector<std::uint8_t>{}));
}

TEST_F(MRegistryTest, UnconvertedTypesAndMissingValuesAreError1001) {
    for (std::uint32_t type : {0u, 5u, 6u, 8u, 11u, 0xFFFFFFFFu})
        EXPECT_EQ(ErrorOf([&] { Query("Odd", "\x01\x02\x03\x04", type); }), 1001u) << type;
    EXPECT_EQ(ErrorOf([&] { MRegistry::RegQueryValue(os, HKLM, L"SOFTWARE\\Test", L"Missing"); }),
              1001u);
}

TEST_F(MRegistryTest, TextOfNoBytesAndShortMultiStringsAreInvalidArgument) {
    EXPECT_EQ(ErrorOf([&] { Query("Sz", "", 1); }), 5u);
    EXPECT_EQ(ErrorOf([&] { Query("Multi", std::string(1, '\0'), 7); }), 5u);
    EXPECT_EQ(Query("Multi2", std::string(2, '\0'), 7), RegValue(std::wstring()));
}

TEST_F(MRegistryTest, DefaultAnswersOnlyForAKeyThatCannotBeOpened) {
    EXPECT_EQ(
        MRegistry::RegQueryValue(os, HKLM, L"SOFTWARE\\Missing", L"x", RegValue(std::int32_t{7})),
        RegValue(std::int32_t{7}));
    EXPECT_EQ(MRegistry::RegQueryValue(os, HKLM, L"SOFTWARE\\Missing", L"x"), RegValue());
    EXPECT_EQ(ErrorOf([&] {
                  MRegistry::RegQueryValue(os, HKLM, L"SOFTWARE\\Test", L"x",
                                           RegValue(std::int32_t{7}));
              }),
              1001u);
}

TEST_F(MRegistryTest, UpTo1024BytesTakeOneQueryLargerExactlyTwo) {
    EXPECT_EQ(std::get<std::wstring>(Query("Fits", std::string(1023, 'a') + '\0', 1)).size(),
              1023u);
    EXPECT_EQ(os.queries, 1);
    EXPECT_EQ(std::get<std::wstring>(Query("Large", std::string(1999, 'b') + '\0', 1)),
              std::wstring(1999, L'b'));
    EXPECT_EQ(os.queries, 3);
}

TEST_F(MRegistryTest, ValueGrowingBetweenTheQueriesIsUnreadableAndStaysInItsBuffer) {
    FakeRegValue value = FakePlatform::Bytes(1, std::string(1500, 'c') + '\0');
    value.afterFirstQuery = std::vector<std::uint8_t>(4000, 'd');
    os.SetValue("SOFTWARE\\Test", "Grows", value);
    EXPECT_EQ(ErrorOf([&] { MRegistry::RegQueryValue(os, HKLM, L"SOFTWARE\\Test", L"Grows"); }),
              1001u);
    EXPECT_EQ(os.queries, 2);
}

TEST(RegistryConversion, NeverReadsBeyondTheBuffer) {
    FakePlatform os;
    const std::vector<std::uint8_t> small{'a', 'b', 0};
    EXPECT_EQ(MRegistry::ConvertRegValue(os, 1, small, 5000), RegValue(std::wstring(L"ab")));
    EXPECT_EQ(MRegistry::ConvertRegValue(os, 3, small, 5000), RegValue(small));
    EXPECT_EQ(MRegistry::ConvertRegValue(os, 4, {}, 4), RegValue(std::int32_t{0}));
}

} // namespace
