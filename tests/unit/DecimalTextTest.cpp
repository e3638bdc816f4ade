#include "common/DecimalText.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

TEST(DecimalText, MatchesTheStandardLibraryOverTheWholeRange) {
    for (const std::int64_t value :
         {std::int64_t{0}, std::int64_t{7}, std::int64_t{-1}, std::int64_t{10}, std::int64_t{1001},
          std::int64_t{-2147483648LL}, std::int64_t{4294967295LL},
          std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()})
        EXPECT_EQ(DecimalText(value), std::to_wstring(value));
}

} // namespace
