// SPDX-License-Identifier: MIT
#pragma once

#include "core/BookmarkListLocation.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

namespace kelvane {

// Why the bookmark list could not be read or changed.
class BookmarkStoreError : public std::runtime_error {
public:
    enum class Kind {
        Read,  // the list file is there but cannot be read
        Write, // the changed list could not be saved; the file is as it was
        Busy,  // another program kept the list locked
    };

    BookmarkStoreError(Kind kind, QString path, QString reason);

    Kind kind() const { return m_kind; }
    const QString& path() const { return m_path; }
    const QString& reason() const { return m_reason; }

private:
    Kind m_kind;
    QString m_path;
    QString m_reason;
};

// The bookmark list on disk, shared by the window and the command line and by every copy of
// them that runs at the same time.
//
// Every change is a read-modify-write of the file as it is now, made while the list is locked
// (a lock file beside the list), so that no change made meanwhile by another program or window
// is lost. A list file that is a symbolic link is saved into the file it points to, in that
// file's folder, and the link stays.
class BookmarkStore {
public:
    // How long a change waits for another program to let go of the list, unless changed.
    static constexpr int kLockTimeoutMs = 5000;

    explicit BookmarkStore(BookmarkListLocation location);
    // The store of a program in `programFolder` (BookmarkListLocation::forProgramIn).
    static BookmarkStore forProgramIn(const QString& programFolder);

    const BookmarkListLocation& location() const { return m_location; }
    void setLockTimeout(int milliseconds) { m_lockTimeoutMs = milliseconds; }
    // The list file saves go to, as the user knows it (a link is not resolved).
    QString path() const;
    // The file the list is read from now (a starting list beside an installed program until
    // the user has a list of their own).
    QString readPath() const;

    // The entries as stored; no file is an empty list. Throws BookmarkStoreError(Read).
    QStringList read() const;

    // Locks the list, reads it, lets `change` edit the entries and, when it returns true,
    // saves them, all before the lock is let go. What `change` throws reaches the caller and
    // nothing is saved. A starting list that cannot be read counts as empty (the user's own
    // list is made without it); the user's own list that cannot be read is an error. Returns the
    // entries as they are on disk afterwards. Throws BookmarkStoreError: Busy (the lock was not had
    // in time), Read, Write.
    QStringList update(const std::function<bool(QStringList& entries)>& change);

    // update() that saves `entries` as they are, whatever the file held.
    QStringList replace(const QStringList& entries);

    // The file that saves write: path(), or the file a link there points to, however many
    // links deep.
    QString savedFile() const;

private:
    BookmarkListLocation m_location;
    int m_lockTimeoutMs = kLockTimeoutMs;
};

} // namespace kelvane
