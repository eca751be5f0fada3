// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QListWidget;

namespace kelvane {

class vFile;
class vParser;
class vTools;
class BookmarkListLocation;

// The bookmark list `List1` and its copy on disk, bookmarked.txt beside the program or, for an
// installed program, in the user's data folder (see BookmarkListLocation). Each item is one
// bookmark: source path, "=", output path.
class BookmarkListFile {
public:
    BookmarkListFile(QListWidget& List1, const vFile& vFile1, const vParser& vParser1,
                     const vTools& vTools1);

    // The list file that saves write. Beside the program it is the program's folder followed by
    // "/bookmarked.txt", with doubled separators collapsed (a program in a root folder would
    // otherwise give "//"); a network path's leading "//" is kept.
    QString BookmarkListPath() const;

    // Writes the whole list to the list file, making the user's data folder first when the list
    // lives there. Returns false when the file could not be written (the list box keeps its
    // items) or when an unreadable list file found at start-up is still in the way and must not
    // be overwritten.
    bool SaveBookmarks();

    // Fills the list from the list file when one exists. A list file that cannot be read is
    // reported once and moved aside to "bookmarked.txt.unreadable-<time>" so that nothing the
    // user could recover is overwritten by a later save; the list then starts empty. A starting
    // list beside an installed program that cannot be read is reported and left where it is.
    void LoadBookmarks();

private:
    QString besideProgramPath() const;
    QString savePath(const BookmarkListLocation& location) const;
    QString readPath(const BookmarkListLocation& location) const;
    void setAsideUnreadable(const QString& path, const QString& reason);

    QListWidget& m_list;
    const vFile& m_file;
    const vParser& m_parser;
    const vTools& m_tools;
    bool m_unreadableInPlace = false;
};

} // namespace kelvane
