// SPDX-License-Identifier: MIT
#include "engine/AtomicOutput.h"

#include "engine/DescriptorPath.h"
#include "engine/EngineError.h"
#include "engine/FileKind.h"
#include "engine/FileName.h"
#include "engine/OutputCalls.h"
#include "engine/TemporaryFileCleanup.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace kelvane {

namespace {

constexpr int kNameAttempts = 100;

OutputPlace placeOf(const struct stat& status) {
    if (S_ISREG(status.st_mode)) {
        return OutputPlace::File;
    }
    if (S_ISLNK(status.st_mode)) {
        return OutputPlace::Link;
    }
    return S_ISDIR(status.st_mode) ? OutputPlace::Folder : OutputPlace::Special;
}

EngineError notAFile(const QString& path, mode_t mode) {
    return EngineError(EngineError::Kind::OutputNotFile,
                       QStringLiteral("The output %1 is %2, not a file; it is never replaced.")
                           .arg(path, kindOfFile(mode)));
}

// /dev/stdout and its kind lead to a stream that is open already: replacing the name would
// write nothing to the stream and leave a file in /dev (or fail) instead.
void refuseDescriptorName(const QString& path) {
    if (DescriptorPath::of(path).isDescriptor()) {
        throw EngineError(EngineError::Kind::OutputNotFile,
                          QStringLiteral("The output %1 is an open descriptor, not a file; it is "
                                         "never replaced.")
                              .arg(path));
    }
}

EngineError exists(const QString& path) {
    return EngineError(EngineError::Kind::OutputExists,
                       QStringLiteral("The output %1 already exists.").arg(path));
}

// The process's umask, read without changing it where the system tells it (changing it, even
// for a moment, would apply to files other threads create meanwhile). It is read for each
// output, since the process may change it, with one open and one read of a few lines.
mode_t currentUmask() {
    const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        char text[4096];
        const ssize_t got = ::read(fd, text, sizeof text - 1);
        ::close(fd);
        if (got > 0) {
            text[got] = '\0';
            if (const char* line = std::strstr(text, "\nUmask:"); line != nullptr) {
                char* end = nullptr;
                const unsigned long mask = std::strtoul(line + 7, &end, 8);
                if (end != line + 7 && mask <= 0777) {
                    return static_cast<mode_t>(mask);
                }
            }
        }
    }
    const mode_t mask = ::umask(077);
    ::umask(mask);
    return mask;
}

// Whether the folder open at `folder` is on the process file system (/proc).
bool isProcFolder(int folder) {
    struct statfs system {};
    return ::fstatfs(folder, &system) != 0 || system.f_type == PROC_SUPER_MAGIC;
}

QByteArray randomHiddenName() {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QByteArray name = ".kelvane-";
    for (int i = 0; i < 6; ++i) {
        name += kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
    }
    return name;
}

// The folder part and the name part of `path`, in the file system's encoding.
std::pair<QByteArray, QByteArray> splitPath(const QString& path) {
    const QByteArray encoded = encodeFileName(path);
    const qsizetype slash = encoded.lastIndexOf('/');
    if (slash < 0) {
        return {".", encoded};
    }
    return {slash == 0 ? QByteArray("/") : encoded.left(slash), encoded.mid(slash + 1)};
}

// Refuses what `status` shows at the output's place: never a folder, device, pipe or socket, and
// a file or link only with consent to replace it.
void refuseTakenPlace(const struct stat& status, const QString& path, Replace replace) {
    const OutputPlace place = placeOf(status);
    if (place == OutputPlace::Folder || place == OutputPlace::Special) {
        throw notAFile(path, status.st_mode);
    }
    if (replace == Replace::Nothing) {
        throw exists(path);
    }
}

// Renames `from` to `to` unless something is at `to`: with RENAME_NOREPLACE, or where the file
// system has no such rename, with a hard link that fails as well when the name is taken. Returns
// 0 when done, EEXIST when the name is taken, or the error that stopped it; EPERM, EOPNOTSUPP or
// ENOSYS from the link say that the file system offers neither way.
int renameNoReplace(int fromFolder, const char* from, int toFolder, const char* to) {
    detail::OutputCalls& calls = detail::outputCalls();
    if (calls.renameat2(fromFolder, from, toFolder, to, RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) {
        return errno;
    }
    if (calls.linkat(fromFolder, from, toFolder, to, 0) != 0) {
        return errno;
    }
    calls.unlinkat(fromFolder, from, 0);
    return 0;
}

} // namespace

OutputPlace outputPlace(const QString& path) {
    struct stat status {};
    if (path.isEmpty() || ::lstat(encodeFileName(path).constData(), &status) != 0) {
        return OutputPlace::Free;
    }
    return DescriptorPath::of(path).isDescriptor() ? OutputPlace::Special : placeOf(status);
}

void checkOutputPlace(const QString& path, Replace replace) {
    refuseDescriptorName(path);
    struct stat status {};
    if (::lstat(encodeFileName(path).constData(), &status) == 0) {
        refuseTakenPlace(status, path, replace);
    }
}

int flushFolder(int folder) {
    // A folder that cannot be opened for this (one the user may write but not list) is left to
    // the system.
    const int fd = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    const int flushed = detail::outputCalls().fsync(fd);
    const int error = errno;
    ::close(fd);
    // EINVAL: a file system that has no flush for folders.
    return flushed != 0 && error != EINVAL ? error : 0;
}

EngineError unflushedFolder(const QString& path, int error) {
    return EngineError(EngineError::Kind::Unflushed,
                       QStringLiteral("The output %1 is complete, but its folder could not be "
                                      "flushed to disk: %2 The new name may not survive a crash.")
                           .arg(path, EngineError::systemReason(error) + u'.'));
}

bool renameWithoutReplacing(const QString& from, const QString& to) {
    return renameNoReplace(AT_FDCWD, encodeFileName(from).constData(), AT_FDCWD,
                           encodeFileName(to).constData()) == 0;
}

AtomicOutput::AtomicOutput(const QString& path, Replace replace, unsigned permissions)
    : m_path(path), m_replace(replace) {
    const auto [folder, name] = splitPath(path);
    if (name.isEmpty() || name == "." || name == "..") {
        throw notAFile(path, S_IFDIR);
    }
    m_name = name;
    detail::OutputCalls& calls = detail::outputCalls();
    m_dirfd = calls.openat(AT_FDCWD, folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC, 0);
    if (m_dirfd < 0) {
        const int error = errno;
        refuseDescriptorName(path);
        fail(EngineError::systemReason(error));
    }
    try {
        struct stat status {};
        mode_t replacedBits = 0777;
        const bool taken =
            ::fstatat(m_dirfd, m_name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0;
        // A free name names a descriptor only in a folder of descriptors (/proc/N/fd, which
        // /dev/fd leads to); a taken one may be a link to one (/dev/stdout).
        if (taken || isProcFolder(m_dirfd)) {
            refuseDescriptorName(path);
        }
        if (taken) {
            refuseTakenPlace(status, path, replace);
            if (S_ISREG(status.st_mode)) {
                replacedBits = status.st_mode & 0777;
            }
        }
        m_mode = permissions & 0777 & ~currentUmask() & replacedBits;
        createTemporary();
    } catch (...) {
        discard();
        throw;
    }
}

AtomicOutput::~AtomicOutput() {
    if (!m_committed) {
        discard();
    }
}

void AtomicOutput::createTemporary() {
    if (!tryUnnamed()) {
        createNamed();
    }
}

// An unnamed file in the output's folder: nothing to clean up on any failure or signal.
bool AtomicOutput::tryUnnamed() {
#ifdef O_TMPFILE
    m_fd = detail::outputCalls().openat(m_dirfd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
    if (m_fd >= 0) {
        return true;
    }
    // Only a file system without unnamed files is worth a second try with a name.
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
        failErrno();
    }
#endif
    return false;
}

// A short name keeps the temporary file possible beside an output whose name is near the
// file system's limit; 0600 keeps it private from the moment it exists.
void AtomicOutput::createNamed() {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        const QByteArray name = randomHiddenName();
        m_fd = detail::outputCalls().openat(
            m_dirfd, name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (m_fd >= 0) {
            m_temporaryName = name;
            m_cleanupSlot =
                detail::TemporaryFileCleanup::registerFile(m_dirfd, m_temporaryName.constData());
            return;
        }
        if (errno != EEXIST) {
            failErrno();
        }
    }
    fail(QStringLiteral("no free name for a temporary file"));
}

void AtomicOutput::write(const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t wrote = detail::outputCalls().write(m_fd, data, size);
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote < 0 && errno == EINVAL) {
            // Direct I/O refused (alignment, or the file system takes none): go through the cache.
            const int flags = ::fcntl(m_fd, F_GETFL);
            if (flags != -1 && (flags & O_DIRECT) != 0 &&
                ::fcntl(m_fd, F_SETFL, flags & ~O_DIRECT) == 0) {
                continue;
            }
            errno = EINVAL;
        }
        if (wrote < 0) {
            failErrno();
        }
        if (wrote == 0) {
            fail(EngineError::systemReason(EIO));
        }
        data += wrote;
        size -= static_cast<std::size_t>(wrote);
    }
}

void AtomicOutput::commit(FolderFlush folder, DataFlush data) {
    detail::OutputCalls& calls = detail::outputCalls();
    try {
        if ((data == DataFlush::Now && calls.fdatasync(m_fd) != 0) ||
            calls.fchmod(m_fd, m_mode) != 0) {
            failErrno();
        }
        if (!m_temporaryName.isEmpty()) {
            // A named file is closed before it is published, so that a failing close (a network
            // file system reports late write errors there) publishes nothing.
            const int fd = m_fd;
            m_fd = -1;
            if (calls.close(fd) != 0) {
                failErrno();
            }
        }
        if (m_replace == Replace::Nothing) {
            publishWithoutReplacing();
        } else {
            publishReplacing();
        }
    } catch (...) {
        discard();
        throw;
    }
    m_committed = true;
    detail::TemporaryFileCleanup::unregisterFile(m_cleanupSlot);
    m_cleanupSlot = -1;
    m_temporaryName.clear();
    if (m_fd >= 0) {
        // The data is on disk and linked; a late error of the unnamed file's close changes
        // nothing that is published.
        calls.close(m_fd);
        m_fd = -1;
    }
    // The new name itself reaches the disk too; a flush that fails is reported, and the file,
    // which is complete, stays.
    const int flushError = folder == FolderFlush::Now ? flushFolder(m_dirfd) : 0;
    calls.close(m_dirfd);
    m_dirfd = -1;
    if (flushError != 0) {
        throw unflushedFolder(m_path, flushError);
    }
}

void AtomicOutput::publishWithoutReplacing() {
    detail::OutputCalls& calls = detail::outputCalls();
    if (m_temporaryName.isEmpty()) {
        linkUnnamedAs(m_name, false);
        return;
    }
    const int error =
        renameNoReplace(m_dirfd, m_temporaryName.constData(), m_dirfd, m_name.constData());
    if (error == 0) {
        m_temporaryName.clear();
        return;
    }
    if (error == EEXIST) {
        throw exists(m_path);
    }
    if (error != EPERM && error != EOPNOTSUPP && error != ENOSYS) {
        fail(EngineError::systemReason(error));
    }
    // Neither (some network and FUSE file systems): look once more right before the rename.
    struct stat status {};
    if (::fstatat(m_dirfd, m_name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0) {
        throw exists(m_path);
    }
    if (calls.renameat2(m_dirfd, m_temporaryName.constData(), m_dirfd, m_name.constData(), 0) !=
        0) {
        failErrno();
    }
    m_temporaryName.clear();
}

void AtomicOutput::publishReplacing() {
    detail::OutputCalls& calls = detail::outputCalls();
    // What is there now may not be what was there when the run began.
    struct stat status {};
    if (::fstatat(m_dirfd, m_name.constData(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(status.st_mode) && !S_ISLNK(status.st_mode)) {
        throw notAFile(m_path, status.st_mode);
    }
    if (m_temporaryName.isEmpty()) {
        // An unnamed file cannot take the place of another one directly: it gets a temporary
        // name first, and that name is renamed over the output.
        for (int attempt = 0; m_temporaryName.isEmpty(); ++attempt) {
            if (attempt == kNameAttempts) {
                fail(QStringLiteral("no free name for a temporary file"));
            }
            linkUnnamedAs(randomHiddenName(), true);
        }
    }
    if (calls.renameat2(m_dirfd, m_temporaryName.constData(), m_dirfd, m_name.constData(), 0) !=
        0) {
        failErrno();
    }
    m_temporaryName.clear();
}

// Gives the unnamed file the name `name` in the output's folder. For a temporary name, a name
// that is taken leaves m_temporaryName empty so that the caller tries another.
void AtomicOutput::linkUnnamedAs(const QByteArray& name, bool temporaryName) {
    detail::OutputCalls& calls = detail::outputCalls();
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(m_fd);
    int result =
        calls.linkat(AT_FDCWD, self.constData(), m_dirfd, name.constData(), AT_SYMLINK_FOLLOW);
    if (result != 0 && errno == ENOENT && ::access("/proc/self/fd", F_OK) != 0) {
        result = calls.linkat(m_fd, "", m_dirfd, name.constData(), AT_EMPTY_PATH);
    }
    if (result == 0) {
        if (temporaryName) {
            m_temporaryName = name;
            m_cleanupSlot =
                detail::TemporaryFileCleanup::registerFile(m_dirfd, m_temporaryName.constData());
        }
        return;
    }
    if (errno == EEXIST) {
        if (temporaryName) {
            return;
        }
        throw exists(m_path);
    }
    failErrno();
}

void AtomicOutput::discard() noexcept {
    detail::OutputCalls& calls = detail::outputCalls();
    if (m_fd >= 0) {
        calls.close(m_fd);
        m_fd = -1;
    }
    if (!m_temporaryName.isEmpty()) {
        calls.unlinkat(m_dirfd, m_temporaryName.constData(), 0);
        m_temporaryName.clear();
    }
    detail::TemporaryFileCleanup::unregisterFile(m_cleanupSlot);
    m_cleanupSlot = -1;
    if (m_dirfd >= 0) {
        calls.close(m_dirfd);
        m_dirfd = -1;
    }
}

void AtomicOutput::fail(const QString& reason) const {
    throw EngineError::writing(m_path, reason);
}

void AtomicOutput::failErrno() const {
    fail(EngineError::systemReason(errno));
}

} // namespace kelvane
