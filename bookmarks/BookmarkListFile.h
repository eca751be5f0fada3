#pragma once

#include <QString>

class QListWidget;

namespace kelvane {

class vFile;
class vParser;
class vTools;

// The bookmark list `List1` and its copy on disk, bookmarked.txt in the program's folder.
// Each item is one bookmark: source path, "=", output path.
class BookmarkListFile {
public:
    BookmarkListFile(QListWidget& List1, const vFile& vFile1, const vParser& vParser1,
                     const vTools& vTools1);

    // The program's folder followed by "/bookmarked.txt", with doubled separators collapsed
    // (a program in a root folder would otherwise give "//"); a network path's leading "//"
    // is kept.
    QString BookmarkListPath() const;

    // Writes the whole list to the list file. Returns false when the file could not be written
    // (the list box keeps its items) or when an unreadable list file found at start-up is still
    // in the way and must not be overwritten.
    bool SaveBookmarks();

    // Fills the list from the list file when one exists. A list file that cannot be read is
    // reported once and moved aside to "bookmarked.txt.unreadable-<time>" so that nothing the
    // user could recover is overwritten by a later save; the list then starts empty.
    void LoadBookmarks();

private:
    void setAsideUnreadable(const QString& path, const QString& reason);

    QListWidget& m_list;
    const vFile& m_file;
    const vParser& m_parser;
    const vTools& m_tools;
    bool m_unreadableInPlace = false;
};

} // namespace kelvane
