#include "BookmarkListFile.h"

#include "MsgBox.h"
#include "Runtime.h"
#include "vFile.h"
#include "vParser.h"
#include "vTools.h"

#include <QDateTime>
#include <QDir>
#include <QFile>

namespace kelvane {

namespace {
const QString kUnreadableTitle = QStringLiteral("Bookmarked Files");
}

BookmarkListFile::BookmarkListFile(QListWidget& List1, const vFile& vFile1, const vParser& vParser1,
                                   const vTools& vTools1)
    : m_list(List1), m_file(vFile1), m_parser(vParser1), m_tools(vTools1) {}

QString BookmarkListFile::BookmarkListPath() const {
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
    return static_cast<bool>(m_file.SaveList(m_list, BookmarkListPath()));
}

void BookmarkListFile::LoadBookmarks() {
    const QString path = BookmarkListPath();
    if (!m_tools.FileExists(path, false)) {
        return;
    }
    const ListFileStatus status = m_file.LoadList(m_list, path);
    if (!status) {
        setAsideUnreadable(path, status.error);
    }
}

void BookmarkListFile::setAsideUnreadable(const QString& path, const QString& reason) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFile::exists(aside); ++n) {
        aside =
            path + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') + QString::number(n);
    }
    const QString shown = QDir::toNativeSeparators(path);
    if (QFile::rename(path, aside)) {
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
