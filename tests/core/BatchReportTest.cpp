// SPDX-License-Identifier: MIT
#include "core/BatchReport.h"

#include <gtest/gtest.h>

using namespace kelvane;

namespace {

// The final message of a batch: "Done. Process complete." alone when every entry was locked;
// otherwise the count, then at most eight entries of each kind, the rest summed up.
TEST(BatchReport, ListsEightOfEachKindAndCountsTheRest) {
    const struct {
        int entries, locked, skipped, failed;
        const char* expected;
    } rows[] = {
        {3, 3, 0, 0, "Done. Process complete."},
        {1, 0, 1, 0, "Done. Process complete.\n\nLocked 0 of 1 file.\n\nSkipped:\ns1: r"},
        {22, 1, 9, 12,
         "Done. Process complete.\n\nLocked 1 of 22 files.\n\nSkipped:\ns1: r\ns2: r\ns3: r\ns4: "
         "r\ns5: r\ns6: r\ns7: r\ns8: r\nand 1 more.\n\nFailed:\nf1: e\nf2: e\nf3: e\nf4: e\n"
         "f5: e\nf6: e\nf7: e\nf8: e\nand 4 more."},
    };
    for (const auto& row : rows) {
        BatchReport report(row.entries);
        for (int i = 0; i < row.locked; ++i) {
            report.locked();
        }
        for (int i = 1; i <= row.skipped; ++i) {
            report.skipped(QStringLiteral("s%1").arg(i), QStringLiteral("r"));
        }
        for (int i = 1; i <= row.failed; ++i) {
            report.failed(QStringLiteral("f%1").arg(i), QStringLiteral("e"));
        }
        EXPECT_EQ(report.message().toStdString(), row.expected);
        EXPECT_EQ(report.allLocked(), row.locked == row.entries);
    }
}

} // namespace
