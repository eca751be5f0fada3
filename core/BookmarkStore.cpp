// SPDX-License-Identifier: MIT
#include "core/BookmarkStore.h"

#include "core/ListFile.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QThread>

#include <algorithm>

namespace kelvane {

namespace {

// More links than this in a row are a loop.
constexpr int kMostLinks = 40;

// Doubled separators collapsed (a program in a root folder gives "//"), except the two that start
// a network folder.
QString collapsed(const QString& path) {
    const bool network =
        path.startsWith(QStringLiteral("//")) && path.size() > 2 && path[2] != u'/';
    QString result = network ? QStringLiteral("/") : QString();
    for (const QChar c : path) {
        if (c != u'/' || !result.endsWith(u'/') || (network && result.size() == 1)) {
            result += c;
        }
    }
    return result;
}

// QLockFile::tryLock(timeout) doubles its pause after each look, up to seconds: among many
// writers of the list (twenty `bookmarks add` at once), one could look only six times in five
// seconds, each time at a moment when another held the lock, and give up though the lock was free
// most of the time. Here the pause grows to a tenth of a second at most, with a random part so
// that the waiting writers do not all look at once.
bool takeLock(QLockFile& lock, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    for (int pause = 10; !lock.tryLock(0); pause = std::min(2 * pause, 100)) {
        if (lock.error() != QLockFile::LockFailedError || deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(static_cast<unsigned long>(
            pause / 2 + QRandomGenerator::global()->bounded(pause / 2 + 1)));
    }
    return true;
}

} // namespace

BookmarkStoreError::BookmarkStoreError(Kind kind, QString path, QString reason)
    : std::runtime_error((path + QStringLiteral(": ") + reason).toStdString()), m_kind(kind),
      m_path(std::move(path)), m_reason(std::move(reason)) {}

BookmarkStore::BookmarkStore(BookmarkListLocation location) : m_location(std::move(location)) {}

QString BookmarkStore::path() const {
    return collapsed(m_location.savePath());
}

QString BookmarkStore::readPath() const {
    return collapsed(m_location.readPath());
}

BookmarkStore BookmarkStore::forProgramIn(const QString& programFolder) {
    return BookmarkStore(BookmarkListLocation::forProgramIn(programFolder));
}

QString BookmarkStore::savedFile() const {
    QString file = path();
    for (int links = 0; links < kMostLinks; ++links) {
        const QFileInfo info(file);
        if (!info.isSymLink()) {
            break;
        }
        // A dangling link too: the list is made where it points.
        file = QDir::cleanPath(info.symLinkTarget());
    }
    return file;
}

QStringList BookmarkStore::read() const {
    const QString from = readPath();
    QStringList entries;
    if (from.isEmpty() || !QFileInfo(from).isFile()) {
        return entries;
    }
    if (const ListFileStatus status = readListFile(from, entries); !status) {
        throw BookmarkStoreError(BookmarkStoreError::Kind::Read, from, status.error);
    }
    return entries;
}

QStringList BookmarkStore::update(const std::function<bool(QStringList& entries)>& change) {
    const QString target = savedFile();
    if (target.isEmpty()) {
        throw BookmarkStoreError(BookmarkStoreError::Kind::Write, path(),
                                 BookmarkListLocation::kNoHomeFolder);
    }
    // The lock lies beside the file that is written, so that every way to the list, a link
    // included, shares it. Its folder may have to be made first (the list's own folder, unless
    // the list is a link, whose folder exists).
    QDir().mkpath(QFileInfo(target).path());
    QLockFile lock(target + QStringLiteral(".lock"));
    if (!takeLock(lock, m_lockTimeoutMs)) {
        if (lock.error() == QLockFile::LockFailedError) {
            throw BookmarkStoreError(
                BookmarkStoreError::Kind::Busy, path(),
                QStringLiteral("another program kept it locked for more than %1 seconds")
                    .arg(m_lockTimeoutMs / 1000.0));
        }
        // No lock file can be made there: no list file can be written there either.
        throw BookmarkStoreError(BookmarkStoreError::Kind::Write, path(),
                                 QStringLiteral("its folder cannot be written"));
    }
    QStringList entries;
    try {
        entries = read();
    } catch (const BookmarkStoreError&) {
        // A starting list beside an installed program that cannot be read is left as it is; the
        // user's own list starts empty. The user's own list is never written over unread.
        if (readPath() == path()) {
            throw;
        }
    }
    if (!change(entries)) {
        return entries;
    }
    if (const ListFileStatus status = writeListFile(target, entries); !status) {
        throw BookmarkStoreError(BookmarkStoreError::Kind::Write, path(), status.error);
    }
    return entries;
}

QStringList BookmarkStore::replace(const QStringList& entries) {
    return update([&entries](QStringList& stored) {
        stored = entries;
        return true;
    });
}

} // namespace kelvane
