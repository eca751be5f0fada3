// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

class QProcessEnvironment;

namespace kelvane {

// Where the bookmark list file is kept.
//
// A portable copy of the program, one with a file named kelvane-portable beside it, keeps
// bookmarked.txt beside the program. Any other copy, wherever it is installed, keeps each
// user's list in the user's data folder for Kelvane ($XDG_DATA_HOME/Kelvane, by default
// ~/.local/share/Kelvane). Until the user's own list exists, the first Kelvane/bookmarked.txt
// found in the system's configuration folders ($XDG_CONFIG_DIRS, by default /etc/xdg), then in
// its data folders ($XDG_DATA_DIRS, by default /usr/local/share and /usr/share), is read as the
// starting list; it is never written.
class BookmarkListLocation {
public:
    static const QString kFileName;       // "bookmarked.txt"
    static const QString kPortableMarker; // "kelvane-portable"
    // Why there is nowhere to save when savePath() is empty.
    static const QString kNoHomeFolder;

    // `programFolder`: the folder that holds the program; `userFolder`: the user's data folder
    // for Kelvane, empty when there is none; `startingFolders`: the folders whose bookmarked.txt
    // may be the starting list, the first one that has it first.
    BookmarkListLocation(QString programFolder, QString userFolder, QStringList startingFolders);

    // The location for a program in `programFolder`, from the process's environment and the
    // user database.
    static BookmarkListLocation forProgramIn(const QString& programFolder);
    // The same, from `environment` and `databaseHome` (the home folder the user database gives
    // this user). A relative or empty HOME gives way to `databaseHome`; relative entries of the
    // XDG variables are ignored, as the XDG base directory rules ask.
    static BookmarkListLocation forProgramIn(const QString& programFolder,
                                             const QProcessEnvironment& environment,
                                             const QString& databaseHome);

    // The home folder of the user this process runs as, from the user database (getpwuid);
    // empty when it has none.
    static QString userDatabaseHome();
    // The folder of the program this process runs, as the system reports it.
    static QString runningProgramFolder();

    // True for a portable copy: the list lives beside the program.
    bool besideProgram() const;

    // The list file that start-up reads (it may not exist).
    QString readPath() const;
    // The list file that every save writes; empty when there is nowhere to keep it.
    QString savePath() const;

    // For --version: a line that names the list of a portable copy; empty for any other copy.
    QString portableNote() const;

private:
    QString m_programFolder;
    QString m_userFolder;
    QStringList m_startingFolders;
};

} // namespace kelvane
