#include "FileStream.h"

#include "EngineError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace kelvane::detail {

namespace {

// One chunk is read, transformed in place and written before the next is read. A multiple of the
// disk's block size, so that whole chunks can go to the disk directly.
constexpr qint64 kChunkSize = 1024 * 1024;
constexpr std::size_t kDirectAlignment = 4096;

EngineError readError(const QString& path, const QString& reason) {
    return EngineError(EngineError::Kind::Read,
                       QStringLiteral("Cannot read %1: %2").arg(path, reason));
}

EngineError writeError(const QString& path, const QString& reason) {
    return EngineError(EngineError::Kind::Write,
                       QStringLiteral("Cannot write %1: %2").arg(path, reason));
}

// The new file gets the source's permission bits, as cp does: unlocking a private file never
// makes a world-readable one.
void copyPermissions(QFile& input, QSaveFile& output) {
#ifdef Q_OS_UNIX
    struct stat status {};
    if (::fstat(input.handle(), &status) != 0 ||
        ::fchmod(output.handle(), status.st_mode & 07777) != 0) {
        throw writeError(output.fileName(), QString::fromLocal8Bit(std::strerror(errno)));
    }
#else
    output.setPermissions(input.permissions());
#endif
}

// Writes the output file. Where the file system allows it, whole chunks go straight to the disk
// (O_DIRECT): no copy through the page cache, and the flush before the commit's rename finds
// nothing left to do. Otherwise, and for the last partial chunk, writes go through the cache, and
// each finished stretch is handed to the disk at once, so that the flush overlaps the run instead
// of all of it waiting for the end.
class OutputWriter {
public:
    explicit OutputWriter(QSaveFile& file) : m_file(file) { setDirect(true); }

    void write(const std::uint8_t* data, qint64 size) {
#ifdef Q_OS_LINUX
        if (m_direct && (size % kDirectAlignment != 0 ||
                         reinterpret_cast<std::uintptr_t>(data) % kDirectAlignment != 0)) {
            setDirect(false);
        }
        while (size > 0) {
            const ssize_t wrote = ::write(m_file.handle(), data, static_cast<std::size_t>(size));
            if (wrote < 0 && errno == EINTR) {
                continue;
            }
            if (wrote < 0 && errno == EINVAL && m_direct) {
                setDirect(false); // the file system takes no direct writes after all
                continue;
            }
            if (wrote <= 0) {
                throw writeError(m_file.fileName(),
                                 QString::fromLocal8Bit(std::strerror(wrote < 0 ? errno : EIO)));
            }
            data += wrote;
            size -= wrote;
            m_written += wrote;
            if (m_written % kDirectAlignment != 0) {
                setDirect(false);
            }
        }
        startWriteback();
#else
        if (m_file.write(reinterpret_cast<const char*>(data), size) != size) {
            throw writeError(m_file.fileName(), m_file.errorString());
        }
#endif
    }

private:
    void setDirect(bool on) {
#ifdef Q_OS_LINUX
        const int flags = ::fcntl(m_file.handle(), F_GETFL);
        m_direct =
            flags != -1 &&
            ::fcntl(m_file.handle(), F_SETFL, on ? flags | O_DIRECT : flags & ~O_DIRECT) == 0 && on;
#else
        Q_UNUSED(on);
#endif
    }

    void startWriteback() {
#ifdef Q_OS_LINUX
        constexpr qint64 kStretch = 8 * 1024 * 1024;
        if (!m_direct && m_written - m_handedOver >= kStretch) {
            ::sync_file_range(m_file.handle(), m_handedOver, m_written - m_handedOver,
                              SYNC_FILE_RANGE_WRITE);
            m_handedOver = m_written;
        }
#endif
    }

    QSaveFile& m_file;
    bool m_direct = false;
    qint64 m_written = 0;
    qint64 m_handedOver = 0;
};

struct AlignedFree {
    void operator()(std::uint8_t* p) const { std::free(p); }
};

} // namespace

void openForReading(QFile& file) {
    if (QFileInfo(file.fileName()).isDir()) {
        throw readError(file.fileName(), QStringLiteral("it is a folder"));
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw readError(file.fileName(), file.errorString());
    }
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    openForReading(file);
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw readError(path, file.errorString());
    }
    return content;
}

qint64 streamFile(const QString& inputPath, const QString& outputPath,
                  const std::function<void(std::uint64_t size)>& start, const ChunkStep& step) {
    QFile input(inputPath);
    openForReading(input);
    QSaveFile output(outputPath);
    if (!output.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        throw writeError(outputPath, output.errorString());
    }
    copyPermissions(input, output);
    const qint64 size = input.size();
    if (start) {
        start(static_cast<std::uint64_t>(size));
    }

    // Room for one chunk, or the whole of a smaller file, in whole blocks.
    const qint64 bufferSize =
        std::min<qint64>(kChunkSize, (size / kDirectAlignment + 1) * kDirectAlignment);
    const std::unique_ptr<std::uint8_t, AlignedFree> buffer(static_cast<std::uint8_t*>(
        std::aligned_alloc(kDirectAlignment, static_cast<std::size_t>(bufferSize))));
    if (!buffer) {
        throw readError(inputPath, QStringLiteral("out of memory"));
    }
    OutputWriter writer(output);
    qint64 done = 0;
    for (;;) {
        const qint64 got = input.read(reinterpret_cast<char*>(buffer.get()), bufferSize);
        if (got < 0) {
            throw readError(inputPath, input.errorString());
        }
        if (got == 0) {
            break;
        }
        if (step) {
            step({buffer.get(), static_cast<std::size_t>(got)}, static_cast<std::uint64_t>(done));
        }
        writer.write(buffer.get(), got);
        done += got;
    }
    if (!output.commit()) {
        throw writeError(outputPath, output.errorString());
    }
    return done;
}

} // namespace kelvane::detail
