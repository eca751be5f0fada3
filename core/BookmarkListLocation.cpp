// SPDX-License-Identifier: MIT
#include "core/BookmarkListLocation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcessEnvironment>

#include <algorithm>

#include <pwd.h>
#include <unistd.h>

namespace kelvane {

const QString BookmarkListLocation::kFileName = QStringLiteral("bookmarked.txt");
const QString BookmarkListLocation::kPortableMarker = QStringLiteral("kelvane-portable");
const QString BookmarkListLocation::kNoHomeFolder =
    QStringLiteral("there is no home folder to keep it in (HOME is not set and the user database "
                   "names none)");

namespace {

// The folder of Kelvane's own in each XDG folder: the same for both programs.
const QString kKelvaneFolder = QStringLiteral("/Kelvane");

// No folder gives no file, never one at the root.
QString fileIn(const QString& folder) {
    return folder.isEmpty() ? QString()
                            : folder + QLatin1Char('/') + BookmarkListLocation::kFileName;
}

// An absolute folder, cleaned; anything else (empty, relative) is no folder.
QString absoluteFolder(const QString& text) {
    return text.startsWith(QLatin1Char('/')) ? QDir::cleanPath(text) : QString();
}

// The absolute entries of a list of folders such as XDG_DATA_DIRS, or `fallback` when it has
// none, each with Kelvane's folder.
QStringList kelvaneFoldersIn(const QString& list, const QString& fallback) {
    QStringList folders;
    for (const QString& entry : list.split(QLatin1Char(':'))) {
        if (const QString folder = absoluteFolder(entry); !folder.isEmpty()) {
            folders.append(folder);
        }
    }
    if (folders.isEmpty() && !fallback.isEmpty()) {
        return kelvaneFoldersIn(fallback, QString());
    }
    for (QString& folder : folders) {
        folder = (folder == u"/" ? QString() : folder) + kKelvaneFolder;
    }
    return folders;
}

} // namespace

BookmarkListLocation::BookmarkListLocation(QString programFolder, QString userFolder,
                                           QStringList startingFolders)
    : m_programFolder(std::move(programFolder)), m_userFolder(std::move(userFolder)),
      m_startingFolders(std::move(startingFolders)) {}

BookmarkListLocation BookmarkListLocation::forProgramIn(const QString& programFolder) {
    return forProgramIn(programFolder, QProcessEnvironment::systemEnvironment(),
                        userDatabaseHome());
}

BookmarkListLocation BookmarkListLocation::forProgramIn(const QString& programFolder,
                                                        const QProcessEnvironment& environment,
                                                        const QString& databaseHome) {
    QString home = absoluteFolder(environment.value(QStringLiteral("HOME")));
    if (home.isEmpty()) {
        home = absoluteFolder(databaseHome);
    }
    QString dataHome = absoluteFolder(environment.value(QStringLiteral("XDG_DATA_HOME")));
    if (dataHome.isEmpty() && !home.isEmpty()) {
        dataHome = (home == u"/" ? QString() : home) + QStringLiteral("/.local/share");
    }
    QStringList starting = kelvaneFoldersIn(environment.value(QStringLiteral("XDG_CONFIG_DIRS")),
                                            QStringLiteral("/etc/xdg")) +
                           kelvaneFoldersIn(environment.value(QStringLiteral("XDG_DATA_DIRS")),
                                            QStringLiteral("/usr/local/share:/usr/share"));
    starting.removeDuplicates();
    return {programFolder, dataHome.isEmpty() ? QString() : dataHome + kKelvaneFolder, starting};
}

QString BookmarkListLocation::userDatabaseHome() {
    // getpwuid_r with a buffer of the size the system suggests; a larger one when that is short.
    long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    for (std::size_t size = suggested > 0 ? static_cast<std::size_t>(suggested) : 1024;
         size <= 1024 * 1024; size *= 4) {
        QByteArray buffer(static_cast<qsizetype>(size), Qt::Uninitialized);
        passwd entry{};
        passwd* found = nullptr;
        const int error = ::getpwuid_r(::geteuid(), &entry, buffer.data(), size, &found);
        if (error == ERANGE) {
            continue;
        }
        return error == 0 && found != nullptr && found->pw_dir != nullptr
                   ? QFile::decodeName(found->pw_dir)
                   : QString();
    }
    return {};
}

QString BookmarkListLocation::runningProgramFolder() {
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
}

bool BookmarkListLocation::besideProgram() const {
    return !m_programFolder.isEmpty() &&
           QFileInfo(m_programFolder + QLatin1Char('/') + kPortableMarker).isFile();
}

QString BookmarkListLocation::readPath() const {
    if (besideProgram()) {
        return fileIn(m_programFolder);
    }
    const QString own = fileIn(m_userFolder);
    if (!own.isEmpty() && QFileInfo::exists(own)) {
        return own;
    }
    const auto starting =
        std::find_if(m_startingFolders.begin(), m_startingFolders.end(),
                     [](const QString& folder) { return QFileInfo(fileIn(folder)).isFile(); });
    return starting != m_startingFolders.end() ? fileIn(*starting) : own;
}

QString BookmarkListLocation::savePath() const {
    return fileIn(besideProgram() ? m_programFolder : m_userFolder);
}

QString BookmarkListLocation::portableNote() const {
    return besideProgram()
               ? QStringLiteral("Portable copy (%1 beside the program): the bookmark list is %2\n")
                     .arg(kPortableMarker, QDir::toNativeSeparators(fileIn(m_programFolder)))
               : QString();
}

} // namespace kelvane
