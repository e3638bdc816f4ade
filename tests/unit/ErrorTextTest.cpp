#include "seam/ErrorText.h"

#include <gtest/gtest.h>

namespace {

struct InsertRow {
    const char *name;
    const wchar_t *text;
    const wchar_t *subject;
    const wchar_t *shown;
};

void PrintTo(const InsertRow &row, std::ostream *out) { *out << row.name; }

class FillInsertsTable : public ::testing::TestWithParam<InsertRow> {};

TEST_P(FillInsertsTable, LeavesNoInsertForTheUser) {
    const InsertRow &row = GetParam();
    EXPECT_EQ(seam::FillInserts(row.text, row.subject), row.shown);
}

INSTANTIATE_TEST_SUITE_P(
    SystemTexts, FillInsertsTable,
    ::testing::Values(
        InsertRow{"FilledWithTheProgram", L"%1 is not a valid Win32 application.",
                  L"C:\\Java\\jre6\\bin\\java.exe",
                  L"C:\\Java\\jre6\\bin\\java.exe is not a valid Win32 application."},
        InsertRow{"DroppedWithTheBlankAfterIt", L"%1 is not a valid Win32 application.", L"",
                  L"is not a valid Win32 application."},
        InsertRow{"OnlyTheFirstInsertIsTheSubject",
                  L"The wrong diskette is in the drive.\r\nInsert %2 (Volume Serial Number: %3) "
                  L"into drive %1.",
                  L"",
                  L"The wrong diskette is in the drive.\r\nInsert (Volume Serial Number:) into "
                  L"drive."},
        InsertRow{"FormatOfAnInsertGoesWithIt", L"Cannot run %1!s! in Win32 mode.", L"C:\\x.exe",
                  L"Cannot run C:\\x.exe in Win32 mode."},
        InsertRow{"TwoDigitInsert", L"Value %12 was refused.", L"x", L"Value was refused."},
        InsertRow{"EscapesReadAsPrinted", L"100%% done%nnext line%.", L"",
                  L"100% done\r\nnext line."},
        InsertRow{"PercentZeroEndsTheText", L"Stops here%0 and not this", L"", L"Stops here"},
        InsertRow{"TrailingPercentAndLineBreaksGo", L"Ends badly %\r\n", L"", L"Ends badly"}),
    [](const ::testing::TestParamInfo<InsertRow> &info) { return info.param.name; });

} // namespace
