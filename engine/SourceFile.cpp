// SPDX-License-Identifier: MIT
#include "engine/SourceFile.h"

#include "engine/EngineError.h"
#include "engine/FileKind.h"
#include "engine/FileName.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

namespace kelvane {

namespace {

// Why a file of this mode cannot be read as a source, or the empty text for a regular file.
QString notRegular(mode_t mode) {
    if (S_ISREG(mode)) {
        return QString();
    }
    return S_ISDIR(mode) ? QStringLiteral("it is a folder.")
                         : QStringLiteral("it is %1, not a file.").arg(kindOfFile(mode));
}

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

} // namespace

void SourceFile::check(const QString& path) {
    struct stat status {};
    if (::stat(encodeFileName(path).constData(), &status) != 0) {
        throw EngineError::reading(path, EngineError::systemReason(errno));
    }
    if (const QString reason = notRegular(status.st_mode); !reason.isEmpty()) {
        throw EngineError::reading(path, reason);
    }
}

SourceFile::SourceFile(const QString& path) : m_path(path) {
    // Looked at before it is opened: opening a device or a pipe can block or have effects.
    check(path);
    // Non-blocking, in case a pipe took the file's place since.
    m_fd = ::open(encodeFileName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (m_fd < 0) {
        fail(EngineError::systemReason(errno));
    }
    if (::fstat(m_fd, &m_status) != 0) {
        const int error = errno;
        ::close(m_fd);
        fail(EngineError::systemReason(error));
    }
    if (const QString reason = notRegular(m_status.st_mode); !reason.isEmpty()) {
        ::close(m_fd);
        fail(reason);
    }
    const int flags = ::fcntl(m_fd, F_GETFL);
    if (flags != -1) {
        ::fcntl(m_fd, F_SETFL, flags & ~O_NONBLOCK);
    }
}

SourceFile::~SourceFile() {
    ::close(m_fd);
}

std::size_t SourceFile::read(std::uint8_t* buffer, std::size_t capacity) {
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, capacity);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            fail(EngineError::systemReason(errno));
        }
        m_done += static_cast<std::uint64_t>(got);
        if ((got == 0 && m_done < size()) || m_done > size()) {
            failChanged();
        }
        return static_cast<std::size_t>(got);
    }
}

void SourceFile::checkUnchanged() const {
    struct stat now {};
    if (::fstat(m_fd, &now) != 0 || now.st_size != m_status.st_size ||
        !sameTime(now.st_mtim, m_status.st_mtim)) {
        failChanged();
    }
    struct stat atPath {};
    if (::stat(encodeFileName(m_path).constData(), &atPath) == 0 &&
        (atPath.st_dev != m_status.st_dev || atPath.st_ino != m_status.st_ino)) {
        failChanged();
    }
}

void SourceFile::fail(const QString& reason) const {
    throw EngineError::reading(m_path, reason);
}

void SourceFile::failChanged() const {
    fail(QStringLiteral("it changed while it was being read."));
}

} // namespace kelvane
