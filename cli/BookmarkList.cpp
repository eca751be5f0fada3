// SPDX-License-Identifier: MIT
#include "cli/BookmarkList.h"

#include "cli/BookmarkListPath.h"
#include "cli/ExitCode.h"
#include "cli/Messages.h"
#include "controls/ListFile.h"

#include <QFileInfo>

namespace kelvane::cli {

BookmarkList::BookmarkList() : m_location(bookmarkListLocation()), m_path(m_location.savePath()) {
    // An installed program's starting list is read while the user has no list of their own.
    const QString readPath = m_location.readPath();
    if (!QFileInfo(readPath).isFile()) {
        return;
    }
    if (const ListFileStatus status = readListFile(readPath, m_entries); !status) {
        throw CliError(ExitCode::ReadWriteFailure,
                       QStringLiteral("The bookmark list %1 could not be read (%2); it is left "
                                      "as it is.")
                           .arg(quoted(readPath), status.error));
    }
}

void BookmarkList::save() const {
    if (m_path.isEmpty()) {
        throw CliError(ExitCode::ReadWriteFailure,
                       QStringLiteral("The bookmark list could not be saved: %1; the list on disk "
                                      "is unchanged.")
                           .arg(BookmarkListLocation::kNoHomeFolder));
    }
    m_location.makeSaveFolder(); // when it cannot be made, the save fails and says so
    if (const ListFileStatus status = writeListFile(m_path, m_entries); !status) {
        throw CliError(ExitCode::ReadWriteFailure,
                       QStringLiteral("The bookmark list could not be saved to %1 (%2); the "
                                      "list on disk is unchanged.")
                           .arg(quoted(m_path), status.error));
    }
}

} // namespace kelvane::cli
