#include "RndCrypt.h"

#include "Charset.h"
#include "EngineError.h"
#include "FileStream.h"

#include <QFileInfo>

#include <filesystem>

namespace kelvane {

bool isSameFile(const QString& first, const QString& second) {
    std::error_code error;
    const bool same =
        std::filesystem::equivalent(std::filesystem::path(first.toStdU16String()),
                                    std::filesystem::path(second.toStdU16String()), error);
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

    RandomSource& source = processRandomSource();
    std::uint64_t total = 0;
    return detail::streamFile(
        InputFile, OutputFile,
        [&](std::uint64_t size) {
            total = size;
            seedContentKeystream(codes, source);
            if (yield) {
                yield(0, total);
            }
        },
        [&](std::span<std::uint8_t> chunk, std::uint64_t offset) {
            // A file that grew since it was opened still reports sensible progress.
            total = std::max<std::uint64_t>(total, offset + chunk.size());
            detail::transformSeeded(chunk, source, yield, offset, total);
        });
}

QByteArray LoadFileToString(const QString& pstrFile) {
    return detail::readAll(pstrFile);
}

} // namespace kelvane
