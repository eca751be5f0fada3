// SPDX-License-Identifier: MIT
#include "engine/Cipher.h"

#include "engine/EngineError.h"
#include "engine/Keystream.h"

#include <algorithm>
#include <limits>

namespace kelvane {

namespace {
bool g_transformRunning = false;
}

std::int32_t PasswordSeed(QByteArrayView codes, RandomSource& source) {
    source.Reseed(-1.0f);
    source.Randomize(static_cast<double>(static_cast<std::int32_t>(codes.size())));
    std::int64_t seed = 0;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        const unsigned key = source.NextByte();
        const auto code = static_cast<unsigned char>(codes[i]);
        const auto position = static_cast<unsigned>((i + 1) % 256);
        seed += (code ^ key) ^ position;
        if (seed > std::numeric_limits<std::int32_t>::max()) {
            throw EngineError(
                EngineError::Kind::Overflow,
                QStringLiteral("The password is too long. Please choose a shorter password."));
        }
    }
    return static_cast<std::int32_t>(seed);
}

void seedContentKeystream(QByteArrayView codes, RandomSource& source) {
    const std::int32_t seed = PasswordSeed(codes, source);
    source.Reseed(-1.0f);
    source.Randomize(static_cast<double>(seed));
}

namespace detail {

void transformSeeded(std::span<std::uint8_t> content, RandomSource& source, const YieldStep& yield,
                     std::uint64_t done, std::uint64_t total) {
    std::uint32_t state = source.state();
    // A stream of unknown length counts what it has seen so far.
    const bool periodic =
        keystream::periodPays(std::max<std::uint64_t>(total, done + content.size()));
    for (std::size_t offset = 0; offset < content.size(); offset += kYieldInterval) {
        const std::size_t length = std::min(kYieldInterval, content.size() - offset);
        state = periodic ? keystream::xorFromPeriod(state, content.data() + offset, length)
                         : keystream::xorKeystream(state, content.data() + offset, length);
        source.setState(state);
        if (yield) {
            yield(done + offset + length, total);
        }
    }
}

} // namespace detail

void RndCryptBuffer(std::span<std::uint8_t> content, QByteArrayView codes, const YieldStep& yield,
                    RandomSource& source) {
    TransformGuard guard;
    seedContentKeystream(codes, source);
    if (yield) {
        yield(0, content.size());
    }
    detail::transformSeeded(content, source, yield, 0, content.size());
}

TransformGuard::TransformGuard() {
    if (g_transformRunning) {
        throw EngineError(EngineError::Kind::Busy,
                          QStringLiteral("Another file is being locked or unlocked; wait until it "
                                         "is finished."));
    }
    g_transformRunning = true;
}

TransformGuard::~TransformGuard() {
    g_transformRunning = false;
}

bool TransformGuard::busy() {
    return g_transformRunning;
}

} // namespace kelvane
