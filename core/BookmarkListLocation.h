// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace kelvane {

// Where the bookmark list file is kept.
//
// A portable copy of the program (in a folder that the user can write and that is not one of
// the folders programs are installed in) keeps bookmarked.txt beside the program, as it always
// has. An installed program keeps each user's list in the user's data folder for Kelvane
// (~/.local/share/Kelvane); a bookmarked.txt beside the installed program is read as the
// starting list while the user's own list does not exist yet, and is never written.
class BookmarkListLocation {
public:
    static const QString kFileName; // "bookmarked.txt"

    // `programFolder`: the folder that holds the program; `userFolder`: the user's data folder
    // for Kelvane; `installFolders`: the folders that programs are installed in.
    BookmarkListLocation(QString programFolder, QString userFolder, QStringList installFolders);

    // The location for a program in `programFolder`, with the user's data folder for Kelvane
    // (QStandardPaths) and installFolders().
    static BookmarkListLocation forProgramIn(const QString& programFolder);

    // The folder this build installs its programs in, then the system's usual program folders.
    static QStringList installFolders();
    // Adds `folder` to installFolders() while tests run; an empty text removes what was added.
    static void setExtraInstallFolderForTesting(const QString& folder);

    // True for a portable copy: the list lives beside the program.
    bool besideProgram() const;

    // The list file that start-up reads (it may not exist).
    QString readPath() const;
    // The list file that every save writes.
    QString savePath() const;
    // Creates the folder of savePath() when it is missing; false when that fails.
    bool makeSaveFolder() const;

private:
    bool isInstallFolder() const;

    QString m_programFolder;
    QString m_userFolder;
    QStringList m_installFolders;
};

} // namespace kelvane
