// SPDX-License-Identifier: MIT
#include "core/BookmarkStore.h"

#include "tests/support/EngineTest.h"

#include <thread>
#include <vector>

namespace kelvane::test {
namespace {

using Store = kelvane::BookmarkStore;
using BookmarkStore = FileFixture; // the tests, each in a folder of its own

// A portable copy's store, in `folder`: its list beside the program.
Store storeIn(const QString& folder) {
    QDir().mkpath(folder + "/program");
    QFile(folder + "/program/" + BookmarkListLocation::kPortableMarker).open(QIODevice::WriteOnly);
    return Store(BookmarkListLocation(folder + "/program", folder + "/home", QStringList()));
}

QStringList adding(Store& store, const QString& entry) {
    return store.update([&entry](QStringList& entries) {
        entries.append(entry);
        return true;
    });
}

// A list that is a link (however many deep, live or dangling) is saved into the file it points
// to, in that file's folder; the link stays, and nothing else is left in either folder.
TEST_F(BookmarkStore, SavesALinkedListIntoItsTargetKeepingTheLink) {
    const struct {
        const char* name;
        QStringList links; // bookmarked.txt -> links[0] -> links[1] ..., in the synced folder
        QByteArray target; // what the last one holds; empty: it does not exist
    } rows[] = {
        {"two links", {"hop", "list.txt"}, "a=b\n"},
        {"dangling", {"list.txt"}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const QString synced = path(row.name) + "/synced/", target = synced + row.links.last();
        Store store = storeIn(path(row.name));
        QDir().mkpath(synced);
        if (!row.target.isEmpty()) {
            write(target, row.target);
        }
        QString from = store.path();
        for (const QString& link : row.links) {
            ASSERT_TRUE(QFile::link(synced + link, from));
            from = synced + link;
        }
        EXPECT_EQ(adding(store, "c=d"), QString(row.target + "c=d").split('\n'));
        EXPECT_EQ(read(target), row.target + "c=d\n");
        EXPECT_EQ(QFileInfo(store.path()).symLinkTarget(), synced + row.links[0]);
        EXPECT_EQ(store.savedFile(), target);
        EXPECT_EQ(entries(synced), row.links); // in the order of their names
        EXPECT_EQ(entries(path(row.name) + "/program"),
                  (QStringList{"bookmarked.txt", BookmarkListLocation::kPortableMarker}));
    }
}

// Every change re-reads the file under the lock: changes of many writers at once are all kept.
// The lock is held until the change is written: another program's change waits for it, and not
// had in time it is an error that changes nothing; what the change itself refuses leaves the file
// alone.
TEST_F(BookmarkStore, EveryChangeIsALockedReadModifyWrite) {
    Store first = storeIn(dir.path());
    constexpr int kWriters = 4, kEach = 5;
    {
        std::vector<std::jthread> writers; // each joined as the block ends
        for (int w = 0; w < kWriters; ++w) {
            writers.emplace_back([this, w] {
                Store store = storeIn(dir.path()); // a store of its own, as another program has
                for (int i = 0; i < kEach; ++i) {
                    adding(store, QStringLiteral("s%1-%2=o").arg(w).arg(i));
                }
            });
        }
    }
    EXPECT_EQ(first.read().size(), kWriters * kEach); // none lost, none twice

    const QByteArray before = read(first.path());
    Store other = storeIn(dir.path());
    other.setLockTimeout(200);
    first.update([&](QStringList&) { // the list stays locked while a change is made
        try {
            adding(other, "late=o");
            ADD_FAILURE() << "a held lock let a change through";
        } catch (const BookmarkStoreError& error) {
            EXPECT_EQ(error.kind(), BookmarkStoreError::Kind::Busy);
        }
        return false;
    });
    EXPECT_THROW(first.update([](QStringList&) -> bool { throw std::logic_error("refused"); }),
                 std::logic_error);
    EXPECT_EQ(read(first.path()), before);
    EXPECT_EQ(adding(first, "after=o").last(), "after=o"); // the lock was let go each time
}

} // namespace
} // namespace kelvane::test
