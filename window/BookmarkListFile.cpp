// SPDX-License-Identifier: MIT
#include "window/BookmarkListFile.h"

#include "controls/vFile.h"
#include "controls/vParser.h"
#include "controls/vTools.h"
#include "core/BookmarkListLocation.h"
#include "engine/AtomicOutput.h"
#include "platform/MsgBox.h"
#include "platform/Runtime.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

namespace kelvane {

namespace {
const QString kUnreadableTitle = QStringLiteral("Bookmarked Files");

// Built anew for each load and save: the program's folder decides.
BookmarkListLocation currentLocation() {
    return BookmarkListLocation::forProgramIn(ProgramFolder());
}
} // namespace

BookmarkListFile::BookmarkListFile(QListWidget& List1, const vFile& vFile1, const vParser& vParser1,
                                   const vTools& vTools1)
    : m_list(List1), m_file(vFile1), m_parser(vParser1), m_tools(vTools1) {}

QString BookmarkListFile::BookmarkListPath() const {
    return savePath(currentLocation());
}

QString BookmarkListFile::savePath(const BookmarkListLocation& location) const {
    return location.besideProgram() ? besideProgramPath() : location.savePath();
}

QString BookmarkListFile::readPath(const BookmarkListLocation& location) const {
    return location.besideProgram() ? besideProgramPath() : location.readPath();
}

QString BookmarkListFile::besideProgramPath() const {
    const QString folder = ProgramFolder();
    const QString path = folder + QStringLiteral("/bookmarked.txt");
    const QString doubled = QStringLiteral("//");
    const QString single = QStringLiteral("/");
    // A network folder starts with "//", which is part of its name.
    if (folder.startsWith(doubled) && folder.size() > 2) {
        return doubled + m_parser.Replace(path.mid(2), doubled, single, 0);
    }
    return m_parser.Replace(path, doubled, single, 0);
}

bool BookmarkListFile::SaveBookmarks() {
    if (m_unreadableInPlace) {
        return false;
    }
    const BookmarkListLocation location = currentLocation();
    location.makeSaveFolder(); // when it cannot be made, the save fails and says so
    return static_cast<bool>(m_file.SaveList(m_list, savePath(location)));
}

void BookmarkListFile::LoadBookmarks() {
    const BookmarkListLocation location = currentLocation();
    const QString path = readPath(location);
    if (!m_tools.FileExists(path, false)) {
        return;
    }
    const ListFileStatus status = m_file.LoadList(m_list, path);
    if (status) {
        return;
    }
    if (path == savePath(location)) {
        setAsideUnreadable(path, status.error);
        return;
    }
    // The starting list beside an installed program: saves never touch it.
    MsgBox(QStringLiteral("The bookmark list %1 could not be read (%2). It is left as it is, and "
                          "the list starts empty.")
               .arg(QDir::toNativeSeparators(path), status.error),
           vbExclamation, kUnreadableTitle);
}

void BookmarkListFile::setAsideUnreadable(const QString& path, const QString& reason) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFile::exists(aside); ++n) {
        aside =
            path + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') + QString::number(n);
    }
    const QString shown = QDir::toNativeSeparators(path);
    if (renameWithoutReplacing(path, aside)) {
        MsgBox(QStringLiteral("The bookmark list %1 could not be read (%2). It has been kept as %3 "
                              "and the list starts empty.")
                   .arg(shown, reason, QDir::toNativeSeparators(aside)),
               vbExclamation, kUnreadableTitle);
        return;
    }
    m_unreadableInPlace = true;
    MsgBox(QStringLiteral("The bookmark list %1 could not be read (%2). It is left as it is, and "
                          "changes to the list will not be saved while it is there.")
               .arg(shown, reason),
           vbExclamation, kUnreadableTitle);
}

} // namespace kelvane
