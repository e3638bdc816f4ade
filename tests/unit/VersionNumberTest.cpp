#include "javaruntime/mod_main.h"

#include <gtest/gtest.h>

namespace {

using mod_main::ReadVersionNumber;

TEST(VersionNumber, FirstThreeCharactersReadWithAPoint) {
    EXPECT_EQ(ReadVersionNumber(L"1.5.0_22"), 1.5);
    EXPECT_EQ(ReadVersionNumber(L"1.6.0_45"), 1.6);
    EXPECT_EQ(ReadVersionNumber(L"1.7"), 1.7); // correctly rounded, not 1.7000000000000002
    EXPECT_EQ(ReadVersionNumber(L"1.4.2_19"), 1.4);
    EXPECT_EQ(ReadVersionNumber(L"10.0.1"), 10.0);
    EXPECT_EQ(ReadVersionNumber(L"9"), 9.0);
    EXPECT_EQ(ReadVersionNumber(L"11"), 11.0);
    EXPECT_EQ(ReadVersionNumber(L"17.0.2"), 17.0);
}

TEST(VersionNumber, BlanksAroundTheNumberAreAllowed) {
    EXPECT_EQ(ReadVersionNumber(L" 9 x"), 9.0);
    EXPECT_EQ(ReadVersionNumber(L"8 "), 8.0);
    EXPECT_EQ(ReadVersionNumber(L"\t1."), 1.0);
}

TEST(VersionNumber, OtherTextIsNoNumberWhateverTheRegionalSettings) {
    for (const wchar_t *name :
         {L"", L"abc", L"jre1.8", L"1,5", L"1 5", L".", L"1..", L"1e5", L"- 1", L"x1.6"})
        EXPECT_FALSE(ReadVersionNumber(name).has_value()) << std::wstring(name).size();
}

TEST(VersionNumber, NeverMoreThanThreeCharactersAreRead) {
    EXPECT_EQ(ReadVersionNumber(L"1.45"), 1.4);
    EXPECT_EQ(ReadVersionNumber(L"123456"), 123.0);
}

} // namespace
