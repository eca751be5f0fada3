// SPDX-License-Identifier: MIT
#include "core/BookmarkListLocation.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <algorithm>

namespace kelvane {

const QString BookmarkListLocation::kFileName = QStringLiteral("bookmarked.txt");

namespace {

QString& extraInstallFolder() {
    static QString folder;
    return folder;
}

// No folder gives no file, never one at the root.
QString fileIn(const QString& folder) {
    return folder.isEmpty() ? QString()
                            : folder + QLatin1Char('/') + BookmarkListLocation::kFileName;
}

} // namespace

BookmarkListLocation::BookmarkListLocation(QString programFolder, QString userFolder,
                                           QStringList installFolders)
    : m_programFolder(std::move(programFolder)), m_userFolder(std::move(userFolder)),
      m_installFolders(std::move(installFolders)) {}

BookmarkListLocation BookmarkListLocation::forProgramIn(const QString& programFolder) {
    // The same folder for the window and the command-line tool, whatever each calls itself.
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return {programFolder, data.isEmpty() ? QString() : data + QStringLiteral("/Kelvane"),
            installFolders()};
}

QStringList BookmarkListLocation::installFolders() {
    QStringList folders{QStringLiteral(KELVANE_INSTALL_BINDIR),
                        QStringLiteral("/usr/bin"),
                        QStringLiteral("/usr/local/bin"),
                        QStringLiteral("/bin"),
                        QStringLiteral("/usr/sbin"),
                        QStringLiteral("/usr/local/sbin"),
                        QStringLiteral("/usr/games")};
    if (!extraInstallFolder().isEmpty()) {
        folders.append(extraInstallFolder());
    }
    return folders;
}

void BookmarkListLocation::setExtraInstallFolderForTesting(const QString& folder) {
    extraInstallFolder() = folder;
}

bool BookmarkListLocation::isInstallFolder() const {
    // Compared as the file system resolves them: /bin is /usr/bin on most systems.
    const QString program = QFileInfo(m_programFolder).canonicalFilePath();
    return !program.isEmpty() &&
           std::any_of(m_installFolders.begin(), m_installFolders.end(),
                       [&](const QString& folder) {
                           return QFileInfo(folder).canonicalFilePath() == program;
                       });
}

bool BookmarkListLocation::besideProgram() const {
    const QFileInfo folder(m_programFolder);
    // isWritable() asks the system (access(2)), so it answers for this user, root included.
    return folder.isDir() && folder.isWritable() && !isInstallFolder();
}

QString BookmarkListLocation::readPath() const {
    if (besideProgram()) {
        return fileIn(m_programFolder);
    }
    const QString own = fileIn(m_userFolder);
    const QString starting = fileIn(m_programFolder);
    return !QFileInfo::exists(own) && QFileInfo::exists(starting) ? starting : own;
}

QString BookmarkListLocation::savePath() const {
    return fileIn(besideProgram() ? m_programFolder : m_userFolder);
}

bool BookmarkListLocation::makeSaveFolder() const {
    const QString path = savePath();
    return !path.isEmpty() && QDir().mkpath(QFileInfo(path).path());
}

} // namespace kelvane
