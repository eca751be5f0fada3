#include "FileStream.h"

#include "EngineError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

namespace kelvane::detail {

namespace {

// Small enough that a chunk stays in the processor's cache between its read, its transform and
// its write.
constexpr qint64 kChunkSize = 256 * 1024;

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

// The commit flushes the whole file to disk before the rename. Handing each finished stretch to
// the disk as the run goes lets that flush overlap the reading and the transform, instead of
// leaving all of it for the end.
void startWriteback(QSaveFile& output, qint64 written) {
#ifdef Q_OS_LINUX
    constexpr qint64 kStretch = 8 * 1024 * 1024;
    if (written % kStretch == 0) {
        ::sync_file_range(output.handle(), written - kStretch, kStretch, SYNC_FILE_RANGE_WRITE);
    }
#else
    Q_UNUSED(output);
    Q_UNUSED(written);
#endif
}

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
    if (!output.open(QIODevice::WriteOnly)) {
        throw writeError(outputPath, output.errorString());
    }
    copyPermissions(input, output);
    const qint64 size = input.size();
    if (start) {
        start(static_cast<std::uint64_t>(size));
    }

    const qint64 bufferSize = std::min<qint64>(kChunkSize, std::max<qint64>(size, 1));
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(bufferSize);
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
        if (output.write(reinterpret_cast<const char*>(buffer.get()), got) != got) {
            throw writeError(outputPath, output.errorString());
        }
        done += got;
        startWriteback(output, done);
    }
    if (!output.commit()) {
        throw writeError(outputPath, output.errorString());
    }
    return done;
}

} // namespace kelvane::detail
