// SPDX-License-Identifier: MIT
#include "engine/DescriptorPath.h"

#include "engine/FileName.h"

#include <QRegularExpression>

#include <cerrno>
#include <climits>

#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace kelvane {

namespace {

constexpr int kMostLinks = 40;

// The process whose descriptors the folder `real` (a resolved path) lists, or 0.
long descriptorFolderOwner(const QString& real) {
    static const QRegularExpression folder(QStringLiteral("^/proc/(\\d+)(/task/\\d+)?/fd$"));
    const QRegularExpressionMatch match = folder.match(real);
    return match.hasMatch() ? match.captured(1).toLong() : 0;
}

// True when nothing is at `path` (an absolute path) and its folder is not on the process file
// system (/proc), where the folders of descriptors are: such a name names no descriptor, and
// its folder need not be resolved.
bool isFreeOutsideProc(const QString& path) {
    struct stat status {};
    if (::lstat(encodeFileName(path).constData(), &status) == 0 || errno != ENOENT) {
        return false;
    }
    const qsizetype slash = path.lastIndexOf(u'/');
    const QByteArray folder = encodeFileName(slash <= 0 ? QStringLiteral("/") : path.left(slash));
    struct statfs system {};
    return ::statfs(folder.constData(), &system) == 0 && system.f_type != PROC_SUPER_MAGIC;
}

} // namespace

DescriptorPath DescriptorPath::of(const QString& path) {
    QString current = absoluteFileName(path);
    if (isFreeOutsideProc(current)) {
        return {};
    }
    for (int hop = 0; hop <= kMostLinks && !current.isEmpty(); ++hop) {
        const qsizetype slash = current.lastIndexOf(u'/');
        const QString folder =
            canonicalFileName(slash <= 0 ? QStringLiteral("/") : current.left(slash));
        const QString name = current.mid(slash + 1);
        if (folder.isEmpty()) {
            return {};
        }
        if (const long pid = descriptorFolderOwner(folder); pid != 0) {
            bool isNumber = false;
            const int fd = name.toInt(&isNumber);
            if (pid == static_cast<long>(::getpid()) && isNumber && fd >= 0) {
                return {Owner::Own, fd};
            }
            return {Owner::Other, -1};
        }
        const QByteArray place = encodeFileName(folder + u'/' + name);
        struct stat status {};
        if (::lstat(place.constData(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return {};
        }
        char target[PATH_MAX];
        const ssize_t length = ::readlink(place.constData(), target, sizeof target);
        if (length <= 0 || length == sizeof target) {
            return {};
        }
        const QString to = decodeFileName(QByteArrayView(target, length));
        current = to.startsWith(u'/') ? absoluteFileName(to) : absoluteFileName(folder + u'/' + to);
    }
    return {};
}

} // namespace kelvane
