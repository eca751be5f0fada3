// SPDX-License-Identifier: MIT
#pragma once

#include "cli/ExitCode.h"
#include "core/BookmarkStore.h"

#include <QStringList>

#include <functional>

namespace kelvane::cli {

// The window's bookmark list, on the same file and with the same store. Where it lives is
// decided from the command line's own folder: both programs are installed in one folder.
class BookmarkList {
public:
    BookmarkList();

    const QString& path() const { return m_path; }

    // The entries as stored. Throws CliError(ReadWriteFailure) when the file cannot be read; it
    // is then left as it is, so that nothing the user could recover is overwritten.
    QStringList entries() const;

    // One locked change of the file as it is now (BookmarkStore::update). Throws
    // CliError(ReadWriteFailure) when the list cannot be read, locked or saved; the file on
    // disk then stays as it was. What `change` throws reaches the caller.
    void update(const std::function<bool(QStringList& entries)>& change);

private:
    BookmarkStore m_store;
    QString m_path; // where saves go
};

} // namespace kelvane::cli
