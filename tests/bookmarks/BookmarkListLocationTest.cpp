#include "BookmarkListLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace kelvane::test {
namespace {

enum class Folder { Writable, ReadOnly, Missing, Installed, InstalledViaLink };
enum class Where { Beside, Own };

struct Row {
    const char* what;
    Folder folder;
    bool besideExists; // bookmarked.txt beside the program before
    bool ownExists;    // the user's own bookmarked.txt before
    Where read;
    Where save;
};

// A program folder and a user's data folder, both under one temporary folder.
class BookmarkListLocationTest : public ::testing::Test {
protected:
    ~BookmarkListLocationTest() override { makeWritable(); }

    QString program() const { return dir.filePath("program"); }
    QString own() const { return dir.filePath("home/.local/share/Kelvane"); }
    QString pathOf(Where where) const {
        return (where == Where::Beside ? programFolder : own()) + "/bookmarked.txt";
    }

    void makeWritable() const {
        QFile::setPermissions(program(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    static void write(const QString& path) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    // Lays out the folders of `row` afresh and returns the location of a program in them.
    BookmarkListLocation locationFor(const Row& row) {
        makeWritable();
        EXPECT_TRUE(QDir(dir.path()).removeRecursively() && QDir().mkpath(dir.path()));
        QStringList installFolders{"/usr/bin"};
        programFolder = program();
        if (row.folder != Folder::Missing) {
            EXPECT_TRUE(QDir().mkpath(program()));
        }
        if (row.besideExists) {
            write(pathOf(Where::Beside));
        }
        if (row.ownExists) {
            write(pathOf(Where::Own));
        }
        if (row.folder == Folder::ReadOnly) {
            EXPECT_TRUE(QFile::setPermissions(program(), QFile::ReadOwner | QFile::ExeOwner));
        }
        if (row.folder == Folder::Installed) {
            installFolders.append(program());
        }
        if (row.folder == Folder::InstalledViaLink) { // another spelling, through a link
            installFolders.append(program() + "/");
            programFolder = dir.filePath("link");
            EXPECT_TRUE(QFile::link(program(), programFolder));
        }
        return {programFolder, own(), installFolders};
    }

    // Reads, saves and makes the save folder as `row` says; nothing new appears beside a
    // program whose list is kept elsewhere.
    void check(const Row& row) {
        SCOPED_TRACE(row.what);
        const BookmarkListLocation location = locationFor(row);
        const QStringList besideBefore = QDir(program()).entryList(QDir::AllEntries);
        EXPECT_EQ(location.besideProgram(), row.save == Where::Beside);
        EXPECT_EQ(location.readPath(), pathOf(row.read));
        EXPECT_EQ(location.savePath(), pathOf(row.save));
        EXPECT_TRUE(location.makeSaveFolder());
        EXPECT_TRUE(QFileInfo(QFileInfo(location.savePath()).path()).isDir());
        if (row.save == Where::Own) {
            EXPECT_EQ(QDir(program()).entryList(QDir::AllEntries), besideBefore);
        }
    }

    QTemporaryDir dir;
    QString programFolder; // as the program reports it
};

TEST_F(BookmarkListLocationTest, PortableCopyKeepsTheListBesideTheProgram) {
    const Row rows[] = {
        {"no list yet", Folder::Writable, false, false, Where::Beside, Where::Beside},
        {"a list beside", Folder::Writable, true, false, Where::Beside, Where::Beside},
        {"a user's list elsewhere", Folder::Writable, false, true, Where::Beside, Where::Beside},
    };
    for (const Row& row : rows) {
        check(row);
    }
}

TEST_F(BookmarkListLocationTest, ReadOnlyProgramFolderKeepsTheListInTheUsersFolder) {
    const Row rows[] = {
        {"no list yet", Folder::ReadOnly, false, false, Where::Own, Where::Own},
        {"a starting list beside", Folder::ReadOnly, true, false, Where::Beside, Where::Own},
        {"the user's list made", Folder::ReadOnly, true, true, Where::Own, Where::Own},
        {"program folder gone", Folder::Missing, false, false, Where::Own, Where::Own},
    };
    for (const Row& row : rows) {
        if (row.folder == Folder::ReadOnly && ::geteuid() == 0) {
            continue;
        }
        check(row);
    }
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root may write in a read-only folder; the install folder rows show "
                        "the same rule for root";
    }
}

// Root can write in an install folder, and still gets the list in its own data folder.
TEST_F(BookmarkListLocationTest, InstalledProgramKeepsTheListInTheUsersFolder) {
    const Row rows[] = {
        {"no list yet", Folder::Installed, false, false, Where::Own, Where::Own},
        {"a starting list beside", Folder::Installed, true, false, Where::Beside, Where::Own},
        {"the user's list made", Folder::Installed, true, true, Where::Own, Where::Own},
        {"started through a link", Folder::InstalledViaLink, true, false, Where::Beside,
         Where::Own},
    };
    for (const Row& row : rows) {
        check(row);
    }
}

// The system's program folders count as install folders, whoever runs the program: root can
// write /usr/bin and must not get /usr/bin/bookmarked.txt.
TEST_F(BookmarkListLocationTest, SystemProgramFoldersAreInstallFolders) {
    for (const QString folder : {"/usr/bin", "/bin", "/usr/local/bin", "/usr/sbin"}) {
        SCOPED_TRACE(folder.toStdString());
        if (!QFileInfo(folder).isDir()) {
            continue;
        }
        const BookmarkListLocation location = BookmarkListLocation::forProgramIn(folder);
        EXPECT_FALSE(location.besideProgram());
        EXPECT_TRUE(location.savePath().endsWith("/Kelvane/bookmarked.txt"));
        EXPECT_FALSE(location.savePath().startsWith(folder + "/"));
    }
}

// No user's folder, or one that cannot be made (a file is in the way, for root too): nothing to
// save to, and nothing is made at the root.
TEST_F(BookmarkListLocationTest, AUserFolderThatCannotBeHadGivesNoSave) {
    const BookmarkListLocation none(dir.filePath("missing"), QString(), {});
    EXPECT_EQ(none.readPath(), QString());
    EXPECT_EQ(none.savePath(), QString());
    EXPECT_FALSE(none.makeSaveFolder());
    write(dir.filePath("home"));
    EXPECT_FALSE(BookmarkListLocation(dir.filePath("missing"), own(), {}).makeSaveFolder());
}

} // namespace
} // namespace kelvane::test
