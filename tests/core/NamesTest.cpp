// SPDX-License-Identifier: MIT
#include "core/OutputName.h"
#include "core/PathHelpers.h"

#include "tests/support/EngineTest.h"

#include <sys/stat.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {

// Each source path with its lock and its unlock name. The folder part never changes: dots and
// markers in folder names stay where they are.
TEST(OutputName, LockAndUnlockRules) {
    const struct {
        const char* source;
        const char* lock;
        const char* unlock;
    } rows[] = {
        {"/d/report_unlocked.txt", "/d/report_locked.txt", "/d/report_unlocked_unlocked.txt"},
        {"/d/README.locked", "/d/README_locked.locked", "/d/README_unlocked.locked"},
        {"/d/README_locked", "/d/README_locked.locked", "/d/README.unlocked"},
        {"/d/archive.tar.gz", "/d/archive_locked.tar.gz", "/d/archive_unlocked.tar.gz"},
        {"/d/.profile", "/d/_locked.profile", "/d/_unlocked.profile"},
        {"/my.docs/README", "/my.docs/README.locked", "/my.docs/README.unlocked"},
        {"/o_locked/a_locked.txt", "/o_locked/a_locked_locked.txt", "/o_locked/a_unlocked.txt"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(outputPathFor(row.source, NameRule::Lock), row.lock);
        EXPECT_EQ(outputPathFor(row.source, NameRule::Unlock), row.unlock);
    }
}

// The lists' order is QDir's by name with case ignored, for files and for folders alike, hidden
// names left out unless asked for.
using SortedEntries = FileFixture;
TEST_F(SortedEntries, FollowTheOrderOfTheFolderByNameIgnoringCase) {
    // Folders are made with a file in them.
    for (const char* name :
         {"b.txt", "A.txt", "a_b",    "aB",     "Ab1",        "_x",      "Z",        "z1",
          "10",    "9",     "~t",     "[a]",    "\u00e9.txt", "E.txt",   ".h",       "Ä",
          "a b",   "Sub/f", "sub2/f", "_dir/f", "Zed/f",      "alpha/f", ".hidden/f"}) {
        write(name, {});
    }
    QFile::link(path("b.txt"), path("link to a file"));
    QFile::link(path("nowhere"), path("dangling link"));
    QFile::link(path("Sub"), path("link to a folder"));
    ASSERT_EQ(::mkfifo(qPrintable(path("pipe")), 0644), 0);
    const QDir::Filters rows[] = {QDir::Files | QDir::NoDotAndDotDot,
                                  QDir::Dirs | QDir::NoDotAndDotDot,
                                  QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot};
    for (const QDir::Filters filters : rows) {
        const auto expected = QDir(dir.path()).entryList(filters, QDir::Name | QDir::IgnoreCase);
        ASSERT_GT(expected.size(), 4);
        EXPECT_EQ(sortedEntries(dir.path(), filters), expected) << int(filters);
    }
}

} // namespace
