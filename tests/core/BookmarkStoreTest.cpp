// SPDX-License-Identifier: MIT
#include "core/BookmarkStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace kelvane::test {
namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// A portable copy's store: its list beside the program.
BookmarkStore storeIn(const QTemporaryDir& dir) {
    QDir().mkpath(dir.filePath("program"));
    QFile(dir.filePath("program/" + BookmarkListLocation::kPortableMarker))
        .open(QIODevice::WriteOnly);
    return BookmarkStore(
        BookmarkListLocation(dir.filePath("program"), dir.filePath("home"), QStringList()));
}

QStringList adding(BookmarkStore& store, const QString& entry) {
    return store.update([&entry](QStringList& entries) {
        entries.append(entry);
        return true;
    });
}

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot |
                                  QDir::System);
}

// A list that is a link (however many deep, live or dangling) is saved into the file it points
// to, in that file's folder; the link stays, and nothing else is left in either folder.
TEST(BookmarkStore, SavesALinkedListIntoItsTargetKeepingTheLink) {
    const struct {
        const char* name;
        QStringList links; // bookmarked.txt -> links[0] -> links[1] ..., under the synced folder
        bool targetExists;
    } rows[] = {
        {"two links", {"hop", "list.txt"}, true},
        {"dangling", {"list.txt"}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        BookmarkStore store = storeIn(dir);
        QDir().mkpath(dir.filePath("synced"));
        const QString target = dir.filePath("synced/" + row.links.last());
        if (row.targetExists) {
            QFile file(target);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("a=b\n") == 4);
        }
        QString from = store.path();
        for (const QString& link : row.links) {
            ASSERT_TRUE(QFile::link(dir.filePath("synced/" + link), from));
            from = dir.filePath("synced/" + link);
        }
        const QByteArray before = row.targetExists ? "a=b\n" : "";

        EXPECT_EQ(adding(store, "c=d"), QString(before + "c=d").split('\n', Qt::SkipEmptyParts));
        EXPECT_EQ(readAll(target), before + "c=d\n");
        EXPECT_EQ(QFileInfo(store.path()).symLinkTarget(), dir.filePath("synced/" + row.links[0]));
        EXPECT_EQ(store.savedFile(), target);
        EXPECT_EQ(entriesOf(dir.filePath("synced")), row.links); // in the order of their names
        EXPECT_EQ(entriesOf(dir.filePath("program")),
                  (QStringList{"bookmarked.txt", BookmarkListLocation::kPortableMarker}));
    }
}

// Every change re-reads the file under the lock: changes of many writers at once are all kept.
// A lock another program holds is waited for, and not had in time it is an error that changes
// nothing; what the change itself refuses leaves the file alone.
TEST(BookmarkStore, EveryChangeIsALockedReadModifyWrite) {
    QTemporaryDir dir;
    BookmarkStore first = storeIn(dir);
    constexpr int kWriters = 4, kEach = 5;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w) {
        writers.emplace_back([&dir, w] {
            BookmarkStore store = storeIn(dir); // a store of its own, as another program has
            for (int i = 0; i < kEach; ++i) {
                adding(store, QStringLiteral("s%1-%2=o").arg(w).arg(i));
            }
        });
    }
    for (std::thread& writer : writers) {
        writer.join();
    }
    QStringList stored = first.read();
    EXPECT_EQ(stored.size(), kWriters * kEach);
    stored.removeDuplicates();
    EXPECT_EQ(stored.size(), kWriters * kEach);

    const QByteArray before = readAll(first.path());
    {
        QLockFile held(first.savedFile() + ".lock");
        ASSERT_TRUE(held.tryLock(0));
        first.setLockTimeout(200);
        try {
            adding(first, "late=o");
            ADD_FAILURE() << "a held lock let a change through";
        } catch (const BookmarkStoreError& error) {
            EXPECT_EQ(error.kind(), BookmarkStoreError::Kind::Busy);
        }
    }
    EXPECT_THROW(first.update([](QStringList&) -> bool { throw std::logic_error("refused"); }),
                 std::logic_error);
    EXPECT_EQ(readAll(first.path()), before);
    adding(first, "after=o"); // the lock was let go each time
    EXPECT_EQ(first.read().last(), "after=o");
}

} // namespace
} // namespace kelvane::test
