#include "BookmarkList.h"

#include "BookmarkListPath.h"
#include "ExitCode.h"
#include "ListFile.h"
#include "Messages.h"

#include <QFileInfo>

namespace kelvane::cli {

BookmarkList::BookmarkList() : m_path(bookmarkListPath()) {
    if (!QFileInfo(m_path).isFile()) {
        return;
    }
    if (const ListFileStatus status = readListFile(m_path, m_entries); !status) {
        throw CliError(ExitCode::ReadWriteFailure,
                       QStringLiteral("The bookmark list %1 could not be read (%2); it is left "
                                      "as it is.")
                           .arg(quoted(m_path), status.error));
    }
}

void BookmarkList::save() const {
    if (const ListFileStatus status = writeListFile(m_path, m_entries); !status) {
        throw CliError(ExitCode::ReadWriteFailure,
                       QStringLiteral("The bookmark list could not be saved to %1 (%2); the "
                                      "list on disk is unchanged.")
                           .arg(quoted(m_path), status.error));
    }
}

} // namespace kelvane::cli
