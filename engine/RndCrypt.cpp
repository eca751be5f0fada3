// SPDX-License-Identifier: MIT
#include "engine/RndCrypt.h"

#include "engine/Charset.h"
#include "engine/EngineError.h"
#include "engine/FileName.h"
#include "engine/FileStream.h"

#include <cerrno>

#include <sys/stat.h>

namespace kelvane {

bool isSameFile(const QString& first, const QString& second) {
    struct stat a {};
    struct stat b {};
    const bool hasFirst = ::stat(encodeFileName(first).constData(), &a) == 0;
    // A file that is not there is no other file; resolving its path would fail the same way.
    if (!hasFirst && errno == ENOENT) {
        return false;
    }
    const bool hasSecond = ::stat(encodeFileName(second).constData(), &b) == 0;
    if (!hasSecond && errno == ENOENT) {
        return false;
    }
    if (hasFirst && hasSecond) {
        return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    }
    const QString canonical = canonicalFileName(first);
    return !canonical.isEmpty() && canonical == canonicalFileName(second);
}

bool isSamePlace(const QString& first, const QString& second) {
    return isSameFile(first, second) || absoluteFileName(first) == absoluteFileName(second);
}

namespace {

qint64 transformFile(const QString& InputFile, const QString& OutputFile, const QString& Password,
                     const YieldStep& yield, Replace replace, OutputGroup* group,
                     OutputGroup::Done done) {
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
        InputFile, OutputFile, replace,
        [&](std::uint64_t size) {
            total = size;
            seedContentKeystream(codes, source);
            if (yield) {
                yield(0, total);
            }
        },
        [&](std::span<std::uint8_t> chunk, std::uint64_t offset) {
            detail::transformSeeded(chunk, source, yield, offset, total);
        },
        group, std::move(done));
}

} // namespace

qint64 RndCrypt(const QString& InputFile, const QString& OutputFile, const QString& Password,
                const YieldStep& yield, Replace replace) {
    return transformFile(InputFile, OutputFile, Password, yield, replace, nullptr, {});
}

qint64 RndCrypt(const QString& InputFile, const QString& OutputFile, const QString& Password,
                OutputGroup& group, OutputGroup::Done done, const YieldStep& yield,
                Replace replace) {
    return transformFile(InputFile, OutputFile, Password, yield, replace, &group, std::move(done));
}

QByteArray LoadFileToString(const QString& pstrFile) {
    return detail::readAll(pstrFile);
}

} // namespace kelvane
