#include "RndCrypt.h"

#include "Charset.h"
#include "EngineError.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

namespace kelvane {

namespace {

constexpr qint64 kChunkSize = 4 * 1024 * 1024;

QString describeFailure(const QString& what, const QString& path, const QString& reason) {
    return QStringLiteral("%1 %2: %3").arg(what, path, reason);
}

EngineError readError(const QString& path, const QString& reason) {
    return EngineError(EngineError::Kind::Read,
                       describeFailure(QStringLiteral("Cannot read"), path, reason));
}

EngineError writeError(const QString& path, const QString& reason) {
    return EngineError(EngineError::Kind::Write,
                       describeFailure(QStringLiteral("Cannot write"), path, reason));
}

void openForReading(QFile& file) {
    if (QFileInfo(file.fileName()).isDir()) {
        throw readError(file.fileName(), QStringLiteral("it is a folder"));
    }
    if (!file.open(QIODevice::ReadOnly)) {
        throw readError(file.fileName(), file.errorString());
    }
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

} // namespace

bool isSameFile(const QString& first, const QString& second) {
    std::error_code error;
    const bool same = std::filesystem::equivalent(std::filesystem::path(first.toStdU16String()),
                                                   std::filesystem::path(second.toStdU16String()),
                                                   error);
    if (!error && same) {
        return true;
    }
    const QString a = QFileInfo(first).canonicalFilePath();
    return !a.isEmpty() && a == QFileInfo(second).canonicalFilePath();
}

qint64 RndCrypt(const QString& InputFile, const QString& OutputFile, const QString& Password,
                const YieldStep& yield) {
    const QByteArray codes = passwordCodes(Password);
    TransformGuard guard;

    if (isSameFile(InputFile, OutputFile)) {
        throw EngineError(EngineError::Kind::SameFile,
                          QStringLiteral("The output %1 is the source file itself; choose "
                                         "another output name.")
                              .arg(OutputFile));
    }

    QFile input(InputFile);
    openForReading(input);
    const qint64 total = input.size();

    RandomSource& source = processRandomSource();
    seedContentKeystream(codes, source);
    if (yield) {
        yield(0, static_cast<std::uint64_t>(total));
    }

    QSaveFile output(OutputFile);
    if (!output.open(QIODevice::WriteOnly)) {
        throw writeError(OutputFile, output.errorString());
    }
    copyPermissions(input, output);

    const qint64 bufferSize = std::min<qint64>(kChunkSize, std::max<qint64>(total, 1));
    const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(bufferSize);
    qint64 done = 0;
    for (;;) {
        const qint64 got = input.read(reinterpret_cast<char*>(buffer.get()), bufferSize);
        if (got < 0) {
            throw readError(InputFile, input.errorString());
        }
        if (got == 0) {
            break;
        }
        detail::transformSeeded({buffer.get(), static_cast<std::size_t>(got)}, source, yield,
                                static_cast<std::uint64_t>(done),
                                static_cast<std::uint64_t>(std::max(total, done + got)));
        if (output.write(reinterpret_cast<const char*>(buffer.get()), got) != got) {
            throw writeError(OutputFile, output.errorString());
        }
        done += got;
    }
    if (!output.commit()) {
        throw writeError(OutputFile, output.errorString());
    }
    return done;
}

QByteArray LoadFileToString(const QString& pstrFile) {
    QFile file(pstrFile);
    openForReading(file);
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw readError(pstrFile, file.errorString());
    }
    return content;
}

} // namespace kelvane
