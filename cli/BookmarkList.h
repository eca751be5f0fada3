// SPDX-License-Identifier: MIT
#pragma once

#include "core/BookmarkListLocation.h"

#include <QString>
#include <QStringList>

namespace kelvane::cli {

// The window's bookmark list file, read and written with the window's own list file reader and
// writer, each entry exactly as stored: "source=output".
class BookmarkList {
public:
    // Reads the list where the window keeps it (bookmarkListLocation()); no file there is an
    // empty list. Throws
    // CliError(ReadWriteFailure) when the file cannot be read; it is then left as it is, so that
    // nothing the user could recover is overwritten.
    BookmarkList();

    const QString& path() const { return m_path; }
    QStringList& entries() { return m_entries; }
    const QStringList& entries() const { return m_entries; }

    // Writes the whole list, to the file the window saves to. Throws CliError(ReadWriteFailure);
    // the file on disk then stays as it was.
    void save() const;

private:
    BookmarkListLocation m_location;
    QString m_path; // where saves go
    QStringList m_entries;
};

} // namespace kelvane::cli
