// SPDX-License-Identifier: MIT
#include "core/OutputName.h"
#include "core/PathHelpers.h"
#include "engine/FileName.h"

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
// names left out unless asked for; folders whose names are all ASCII are sorted on their bytes,
// the others as text. (QDir orders names equal but for case otherwise; see below.)
TEST(SortedEntries, FollowTheOrderOfTheFolderByNameIgnoringCase) {
    const struct {
        const char* what;
        QStringList files;
    } rows[] = {
        {"text beyond ASCII",
         {"b.txt", "A.txt", "a_b", "aB", "Ab1", "_x", "Z", "z1", "10", "9", "~t", "[a]",
          "\u00e9.txt", "E.txt", ".h", "\u00c4", "a b", "\U0001F4C4.txt"}},
        {"ASCII only",
         {"b.txt", "A.txt", "a_b", "aB", "Ab1", "_x", "Z", "z1", "10", "9", "~t", "[a]", "`q", "@m",
          "a b", "a", ".h", "ab.c"}},
    };
    for (const auto& row : rows) {
        QTemporaryDir dir;
        for (const QString& name : row.files) {
            ASSERT_TRUE(QFile(dir.filePath(name)).open(QIODevice::WriteOnly)) << row.what;
        }
        for (const char* name : {"Sub", "sub2", "_dir", "Zed", "alpha", ".hidden"}) {
            ASSERT_TRUE(QDir(dir.path()).mkdir(name));
        }
        QFile::link(dir.filePath("b.txt"), dir.filePath("link to a file"));
        QFile::link(dir.filePath("nowhere"), dir.filePath("dangling link"));
        QFile::link(dir.filePath("Sub"), dir.filePath("link to a folder"));
        ASSERT_EQ(::mkfifo(qPrintable(dir.filePath("pipe")), 0644), 0);
        for (const QDir::Filters filter :
             {QDir::Files | QDir::NoDotAndDotDot, QDir::Dirs | QDir::NoDotAndDotDot,
              QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot}) {
            const QStringList expected =
                QDir(dir.path()).entryList(filter, QDir::Name | QDir::IgnoreCase);
            ASSERT_GT(expected.size(), 4);
            EXPECT_EQ(sortedNames(folderEntries(dir.path(), filter)), expected)
                << row.what << int(filter);
        }
    }
}

// Names equal but for letter case keep the order of their code units, capitals first; a name that
// is not valid text sorts among the others by its text, the kept bytes included, and comes back
// byte for byte.
TEST(SortedEntries, OrderNamesEqualButForCaseAndNamesThatAreNotText) {
    const struct {
        const char* what;
        std::vector<QByteArray> listed; // in the folder's order
        std::vector<QByteArray> sorted;
    } rows[] = {
        // clang-format off
        {"ASCII", {"b.TXT", "a", "B.txt", "A"}, {"A", "a", "B.txt", "b.TXT"}},
        {"text beyond ASCII", {"\xc3\xa4", "a", "\xc3\x84", "A"}, {"A", "a", "\xc3\x84", "\xc3\xa4"}},
        {"not text", {"b", "caf\xe9", "Caf\xc3\xa9", "a"}, {"a", "b", "Caf\xc3\xa9", "caf\xe9"}},
        // clang-format on
    };
    for (const auto& row : rows) {
        QByteArray entries; // as folderEntries gives them
        for (const QByteArray& name : row.listed) {
            entries += name + '\0';
        }
        std::vector<QByteArray> bytes;
        QStringList names;
        for (const qsizetype start : sortedOrder(entries)) {
            bytes.push_back(nameAt(entries, start).toByteArray());
            names.append(decodeFileName(bytes.back()));
        }
        EXPECT_EQ(bytes, row.sorted) << row.what;
        EXPECT_EQ(sortedNames(entries), names) << row.what;
    }
}

} // namespace
