// SPDX-License-Identifier: MIT
#include "engine/SteppedTransform.h"

#include "engine/Charset.h"
#include "engine/Cipher.h"
#include "engine/EngineError.h"
#include "engine/FileStream.h"
#include "engine/RndCrypt.h"

#include <functional>

namespace kelvane {

namespace {

void refuseSamePlace(const QString& output, const QString& other, const QString& what) {
    if (isSamePlace(output, other)) {
        throw EngineError(EngineError::Kind::SameFile,
                          QStringLiteral("%1 is %2; choose another path.").arg(output, what));
    }
}

QByteArray checkedCodes(const QString& PasswordKey) {
    if (PasswordKey.isEmpty()) {
        throw EngineError(EngineError::Kind::EmptyPassword,
                          QStringLiteral("The password is empty; type at least one character."));
    }
    return passwordCodes(PasswordKey);
}

qint64 transformFile(const QString& input, const QString& output, QByteArrayView codes,
                     RandomSource& source) {
    SteppedKeystream stream(codes);
    // An existing output ends holding exactly the transformed bytes, as it always has.
    return detail::streamFile(
        input, output, Replace::Existing,
        [&](std::uint64_t) { seedSteppedKeystream(codes, source); },
        [&](std::span<std::uint8_t> chunk, std::uint64_t) { stream.apply(chunk, source); });
}

} // namespace

void seedSteppedKeystream(QByteArrayView codes, RandomSource& source) {
    int seedValue = 0;
    for (const char code : codes) {
        const auto repetitions = static_cast<unsigned char>(code);
        if (repetitions != 0) {
            // Only the last of the draws sets the seed value.
            source.setState(keystream::advance(source.state(), repetitions - 1u));
            // Rounded to the nearest whole number, halves to even: 0.5 gives 0.
            seedValue = source.NextValue() > 0.5f ? 1 : 0;
        }
        source.Randomize(seedValue);
    }
}

SteppedKeystream::SteppedKeystream(QByteArrayView codes) {
    Q_ASSERT(!codes.isEmpty());
    m_byteStep.reserve(codes.size());
    for (const char code : codes) {
        m_byteStep.push_back(
            keystream::jump(1 + 2 * std::uint64_t{static_cast<unsigned char>(code)}));
    }
}

void SteppedKeystream::apply(std::span<std::uint8_t> data, RandomSource& source) {
    // The state stays unmasked in the loop: its low 24 bits evolve exactly as the generator's.
    std::uint32_t state = source.state();
    std::size_t position = m_position;
    for (std::uint8_t& byte : data) {
        byte ^= static_cast<std::uint8_t>(RandomSource::next(state) >> 16);
        state = m_byteStep[position](state);
        if (++position == m_byteStep.size()) {
            position = 0;
        }
    }
    source.setState(state);
    m_position = position;
}

qint64 SteppedTransform(const QString& InputFile, const QString& OutputFile,
                        const QString& PasswordKey, RandomSource& source) {
    const QByteArray codes = checkedCodes(PasswordKey);
    TransformGuard guard;
    refuseSamePlace(OutputFile, InputFile, QStringLiteral("the source file itself"));
    return transformFile(InputFile, OutputFile, codes, source);
}

qint64 SteppedTransformFromCopy(const QString& InputFile, const QString& CopyFile,
                                const QString& OutputFile, const QString& PasswordKey,
                                RandomSource& source) {
    const QByteArray codes = checkedCodes(PasswordKey);
    TransformGuard guard;
    refuseSamePlace(CopyFile, InputFile, QStringLiteral("the source file itself"));
    refuseSamePlace(OutputFile, CopyFile, QStringLiteral("where the source is copied to"));
    detail::streamFile(InputFile, CopyFile, Replace::Existing, {}, {});
    return transformFile(CopyFile, OutputFile, codes, source);
}

} // namespace kelvane
