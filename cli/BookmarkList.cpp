// SPDX-License-Identifier: MIT
#include "cli/BookmarkList.h"

#include "cli/Messages.h"

#include <QCoreApplication>

namespace kelvane::cli {

namespace {

CliError listError(const BookmarkStoreError& error) {
    const QString& reason = error.reason();
    switch (error.kind()) {
    case BookmarkStoreError::Kind::Read:
        return CliError(ExitCode::ReadWriteFailure,
                        QStringLiteral("The bookmark list %1 could not be read (%2); it is left "
                                       "as it is.")
                            .arg(quoted(error.path()), reason));
    case BookmarkStoreError::Kind::Busy:
        return CliError(ExitCode::ReadWriteFailure,
                        QStringLiteral("The bookmark list %1 could not be changed (%2); the list "
                                       "on disk is unchanged.")
                            .arg(quoted(error.path()), reason));
    case BookmarkStoreError::Kind::Write:
        break;
    }
    if (error.path().isEmpty()) {
        return CliError(ExitCode::ReadWriteFailure,
                        QStringLiteral("The bookmark list could not be saved: %1; the list on disk "
                                       "is unchanged.")
                            .arg(reason));
    }
    return CliError(ExitCode::ReadWriteFailure,
                    QStringLiteral("The bookmark list could not be saved to %1 (%2); the list on "
                                   "disk is unchanged.")
                        .arg(quoted(error.path()), reason));
}

} // namespace

BookmarkList::BookmarkList()
    : m_store(BookmarkStore::forProgramIn(QCoreApplication::applicationDirPath())),
      m_path(m_store.path()) {}

QStringList BookmarkList::entries() const {
    try {
        return m_store.read();
    } catch (const BookmarkStoreError& error) {
        throw listError(error);
    }
}

void BookmarkList::update(const std::function<bool(QStringList& entries)>& change) {
    try {
        m_store.update(change);
    } catch (const BookmarkStoreError& error) {
        throw listError(error);
    }
}

} // namespace kelvane::cli
