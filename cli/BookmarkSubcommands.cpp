// SPDX-License-Identifier: MIT
#include "cli/BookmarkSubcommands.h"

#include "cli/BookmarkList.h"
#include "cli/Messages.h"
#include "cli/Terminal.h"
#include "core/BookmarkEntry.h"
#include "core/OutputName.h"
#include "engine/FileName.h"

#include <cerrno>
#include <cstring>

#include <unistd.h>

namespace kelvane::cli {

namespace {

CliError refusal(const QString& message) {
    return CliError(ExitCode::Refused, message);
}

// The window bookmarks full paths.
QString fullPath(const QString& path) {
    return absoluteFileName(path);
}

// A path as given and as a full path: the list may hold either (a list written by hand).
bool samePath(const QString& stored, const QString& given) {
    return stored == given || stored == fullPath(given);
}

} // namespace

ExitCode BookmarkCommands::run() const {
    switch (m_arguments.command) {
    case Command::BookmarksList:
        list();
        break;
    case Command::BookmarksAdd:
        add();
        break;
    case Command::BookmarksRemove:
        remove();
        break;
    case Command::BookmarksClear:
        clear();
        break;
    default:
        break;
    }
    return ExitCode::Done;
}

void BookmarkCommands::list() const {
    QByteArray text;
    for (const QString& entry : BookmarkList().entries()) {
        text += entry.toUtf8() + '\n';
    }
    if (!writeAll(STDOUT_FILENO, text)) {
        throw CliError(ExitCode::ReadWriteFailure,
                       QStringLiteral("Cannot write standard output: %1")
                           .arg(EngineError::systemReason(errno) + u'.'));
    }
}

// The window's "Add File to Bookmarked Files", with its checks in its order.
void BookmarkCommands::add() const {
    const QString source = fullPath(m_arguments.sources.front());
    const BookmarkEntry entry{source, m_arguments.output.isEmpty()
                                          ? outputPathFor(source, NameRule::Lock)
                                          : fullPath(m_arguments.output)};
    if (!entry.source.contains(QLatin1Char('.'))) {
        throw refusal(QStringLiteral("%1: Please select a valid file.").arg(quoted(entry.source)));
    }
    for (const QString& path : {entry.source, entry.output}) {
        if (!BookmarkEntry::storable(path)) {
            throw refusal(QStringLiteral("%1: A path that contains \"=\" cannot be bookmarked. "
                                         "Please choose another file or output name.")
                              .arg(quoted(path)));
        }
        // The list is text: a name with bytes that are not text would come back as another.
        if (!isTextName(path)) {
            throw refusal(QStringLiteral("%1: A file name that is not valid text cannot be "
                                         "bookmarked. Please rename the file or choose another "
                                         "output name.")
                              .arg(quoted(path)));
        }
        if (path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r'))) {
            throw refusal(QStringLiteral("%1: A path that contains a line break cannot be "
                                         "bookmarked.")
                              .arg(quoted(path)));
        }
    }
    BookmarkList().update([&entry](QStringList& entries) {
        if (entries.contains(entry.text())) {
            throw refusal(
                QStringLiteral("%1: Bookmarked file already exists.").arg(quoted(entry.text())));
        }
        entries.append(entry.text());
        return true;
    });
}

// Every bookmark of SOURCE (with -o, only the one with that output), or the one entry whose
// whole text is given.
void BookmarkCommands::remove() const {
    const QString& given = m_arguments.sources.front();
    const QString& output = m_arguments.output;
    const bool wholeEntry = !BookmarkEntry::storable(given);
    BookmarkList().update([&](QStringList& entries) {
        const qsizetype removed = entries.removeIf([&](const QString& text) {
            if (wholeEntry) {
                return text == given;
            }
            const std::optional<BookmarkEntry> entry = BookmarkEntry::parse(text);
            return entry && samePath(entry->source, given) &&
                   (output.isEmpty() || samePath(entry->output, output));
        });
        if (removed == 0) {
            throw refusal(output.isEmpty()
                              ? QStringLiteral("No bookmark of %1 found.").arg(quoted(given))
                              : QStringLiteral("No bookmark of %1 with the output %2 found.")
                                    .arg(quoted(given), quoted(output)));
        }
        return true;
    });
}

// The window's "Remove All Items" once answered with Yes: the list is saved empty.
void BookmarkCommands::clear() const {
    BookmarkList().update([](QStringList& entries) {
        entries.clear();
        return true;
    });
}

} // namespace kelvane::cli
