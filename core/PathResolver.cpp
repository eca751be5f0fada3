// SPDX-License-Identifier: MIT
#include "core/PathResolver.h"

#include "engine/FileName.h"

#include <QDir>
#include <QFile>

#include <climits>
#include <cstdlib>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace kelvane {

namespace {

OutputPlace kindOf(mode_t mode) {
    if (S_ISLNK(mode)) {
        return OutputPlace::Link;
    }
    if (S_ISREG(mode)) {
        return OutputPlace::File;
    }
    return S_ISDIR(mode) ? OutputPlace::Folder : OutputPlace::Special;
}

} // namespace

QString PathResolver::absolute(const QString& path) {
    if (QDir::isAbsolutePath(path)) {
        return QDir::cleanPath(path);
    }
    if (m_current.isEmpty()) {
        ++m_calls;
        char buffer[PATH_MAX];
        m_current = ::getcwd(buffer, sizeof buffer) != nullptr ? decodeFileName(buffer)
                                                               : QStringLiteral("/");
    }
    return QDir::cleanPath(m_current + QLatin1Char('/') + path);
}

QString PathResolver::canonicalFolder(const QString& folder) {
    const auto found = m_folders.constFind(folder);
    if (found != m_folders.constEnd()) {
        return *found;
    }
    ++m_calls;
    // A folder that does not exist (yet) is compared as it is spelled.
    QString canonical = folder;
    if (const std::unique_ptr<char, decltype(&std::free)> resolved(
            ::realpath(encodeFileName(folder).constData(), nullptr), &std::free);
        resolved) {
        canonical = decodeFileName(resolved.get());
    }
    m_folders.insert(folder, canonical);
    return canonical;
}

const ResolvedPath& PathResolver::resolve(const QString& path) {
    const auto found = m_paths.constFind(path);
    if (found != m_paths.constEnd()) {
        return *found;
    }
    ResolvedPath resolved;
    const QString full = path.isEmpty() ? QString() : absolute(path);
    if (full == QStringLiteral("/")) {
        resolved.place = full;
    } else if (!full.isEmpty()) {
        const qsizetype slash = full.lastIndexOf(QLatin1Char('/'));
        const QString folder = canonicalFolder(slash == 0 ? QStringLiteral("/") : full.left(slash));
        resolved.place = (folder == QStringLiteral("/") ? QString() : folder) + full.mid(slash);
    }
    if (!full.isEmpty()) {
        const QByteArray name = encodeFileName(full);
        struct stat info {};
        ++m_calls;
        if (::lstat(name.constData(), &info) == 0) {
            resolved.kind = kindOf(info.st_mode);
            bool reached = true;
            if (S_ISLNK(info.st_mode)) {
                ++m_calls;
                reached = ::stat(name.constData(), &info) == 0;
            }
            if (reached) {
                resolved.file = FileIdentity{static_cast<std::uint64_t>(info.st_dev),
                                             static_cast<std::uint64_t>(info.st_ino)};
                resolved.isFile = S_ISREG(info.st_mode);
            }
        }
    }
    return *m_paths.insert(path, resolved);
}

} // namespace kelvane
