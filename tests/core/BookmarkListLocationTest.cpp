// SPDX-License-Identifier: MIT
#include "core/BookmarkListLocation.h"

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

// A program folder and the user's data folder, both under one temporary folder: where the list
// is read and saved follows what the program folder is and which lists exist. The save folder can
// be made, and nothing new appears beside a program whose list is kept elsewhere. Root can write
// in an install folder, and still gets the list in its own data folder.
TEST(BookmarkListLocation, BesideAPortableCopyElseInTheUsersFolder) {
    using enum Folder;
    using enum Where;
    const struct {
        Folder folder;
        bool besideExists, ownExists; // the list beside the program, the user's own list
        Where read, save;
    } rows[] = {
        {Writable, false, false, Beside, Beside},    {Writable, true, false, Beside, Beside},
        {ReadOnly, false, false, Own, Own},          {ReadOnly, true, false, Beside, Own},
        {Missing, false, false, Own, Own},           {Installed, false, false, Own, Own},
        {Installed, true, false, Beside, Own},       {Installed, true, true, Own, Own},
        {InstalledViaLink, true, false, Beside, Own}};
    for (const auto& row : rows) {
        if (row.folder == ReadOnly && ::geteuid() == 0) {
            continue; // root may write in a read-only folder: the install folder rows hold for it
        }
        SCOPED_TRACE(&row - rows);
        QTemporaryDir dir;
        const QString program = dir.filePath("program"), own = dir.filePath("home/Kelvane");
        QString programFolder = program; // as the program reports it
        QStringList installFolders{"/usr/bin"};
        if (row.folder != Missing) {
            QDir().mkpath(program);
        }
        if (row.besideExists) {
            QFile(program + "/bookmarked.txt").open(QIODevice::WriteOnly);
        }
        if (row.ownExists) {
            QDir().mkpath(own);
            QFile(own + "/bookmarked.txt").open(QIODevice::WriteOnly);
        }
        if (row.folder == ReadOnly) {
            QFile::setPermissions(program, QFile::ReadOwner | QFile::ExeOwner);
        } else if (row.folder == Installed) {
            installFolders.append(program);
        } else if (row.folder == InstalledViaLink) { // another spelling, through a link
            installFolders.append(program + "/");
            programFolder = dir.filePath("link");
            QFile::link(program, programFolder);
        }
        const auto pathOf = [&](Where where) {
            return (where == Beside ? programFolder : own) + "/bookmarked.txt";
        };
        const QStringList besideBefore = QDir(program).entryList(QDir::AllEntries);
        const BookmarkListLocation location(programFolder, own, installFolders);
        EXPECT_EQ(location.besideProgram(), row.save == Beside);
        EXPECT_EQ(location.readPath(), pathOf(row.read));
        EXPECT_EQ(location.savePath(), pathOf(row.save));
        EXPECT_TRUE(location.makeSaveFolder());
        EXPECT_TRUE(QFileInfo(QFileInfo(location.savePath()).path()).isDir());
        EXPECT_EQ(QDir(program).entryList(QDir::AllEntries), besideBefore);
        QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
}

// The system's program folders are install folders, whoever runs the program: root can write
// /usr/bin and must not get /usr/bin/bookmarked.txt. No user's folder, or one that cannot be made
// (a file is in the way, for root too): nothing to save to, and nothing is made at the root.
TEST(BookmarkListLocation, SystemFoldersAndNoUserFolder) {
    for (const QString folder : {"/usr/bin", "/usr/local/bin"}) {
        const BookmarkListLocation location = BookmarkListLocation::forProgramIn(folder);
        EXPECT_TRUE(!location.besideProgram() &&
                    location.savePath().endsWith("/Kelvane/bookmarked.txt"));
    }
    QTemporaryDir dir;
    const BookmarkListLocation none(dir.filePath("missing"), QString(), {});
    EXPECT_EQ(none.readPath() + none.savePath(), QString());
    EXPECT_FALSE(none.makeSaveFolder());
}

} // namespace
} // namespace kelvane::test
