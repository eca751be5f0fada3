// SPDX-License-Identifier: MIT
#pragma once

#include "core/BookmarkStore.h"

#include <QObject>
#include <QString>

#include <functional>

class QFileSystemWatcher;
class QListWidget;
class QTimer;

namespace kelvane {

// The bookmark list `List1` and its file, bookmarked.txt beside the program or, for an installed
// program, in the user's data folder (see BookmarkListLocation). Each item is one bookmark:
// source path, "=", output path.
//
// The list shows what is in the file: it is read again when the file changes (by the command
// line, another window) and on Refresh, the selection staying on its entry where that entry is
// still there. Each change of the list is made on the file as it is at that moment, under the
// list's lock (BookmarkStore), so no change made elsewhere is lost.
class BookmarkListFile : public QObject {
    Q_OBJECT

public:
    explicit BookmarkListFile(QListWidget& List1, QObject* parent = nullptr);

    // The list file that saves write. Beside the program it is the program's folder followed by
    // "/bookmarked.txt", with doubled separators collapsed (a program in a root folder would
    // otherwise give "//"); a network path's leading "//" is kept.
    QString BookmarkListPath() const;

    // Writes the whole list box to the list file, as it is. Returns false when the file could not
    // be written (the list box keeps its items) or when an unreadable list file found at start-up
    // is still in the way and must not be overwritten.
    bool SaveBookmarks();

    // Fills the list from the list file when one exists, and from then on follows the file. A
    // list file that cannot be read is reported once and moved aside to
    // "bookmarked.txt.unreadable-<time>" so that nothing the user could recover is overwritten
    // by a later save; the list then starts empty. A starting list beside an installed program
    // that cannot be read is reported and left where it is.
    void LoadBookmarks();

    // Reads the list file again and shows it, unless a run is in progress (it is read once the
    // run is over) or the file cannot be read (the list stays as it is).
    void reload();

    // How one change of the list ended.
    enum class Edit { Saved, Unchanged, NotSaved };

    // One change of the list: locks the list file, shows the entries it holds now, lets `change`
    // edit the list box and, when it returns true, saves the list box, all before the lock is let
    // go. A change that was made but could not be saved stays in the list box and is reported
    // as "`done`, but the bookmark list could not be saved ..."; a list that cannot be read or
    // locked is reported and nothing changes.
    Edit edit(const std::function<bool(QListWidget& list)>& change, const QString& done);

private:
    void show(const QStringList& entries);
    void watch();
    void setAsideUnreadable(const QString& path, const QString& reason);

    QListWidget& m_list;
    BookmarkStore m_store;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_reloadSoon = nullptr;
    bool m_unreadableInPlace = false;
};

} // namespace kelvane
