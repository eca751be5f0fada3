// SPDX-License-Identifier: MIT
#pragma once

#include "engine/RandomSource.h"

#include <QByteArrayView>

#include <cstdint>
#include <functional>
#include <span>

namespace kelvane {

// Called by a running transform so that its caller can let window events run and show progress:
// once after seeding (bytesDone 0) and then at least once every kYieldInterval bytes.
using YieldStep = std::function<void(std::uint64_t bytesDone, std::uint64_t bytesTotal)>;
inline constexpr std::size_t kYieldInterval = 64 * 1024;

// A password of up to this many characters never overflows its seed (each character adds at
// most 255); a longer one may.
inline constexpr qsizetype kLongestSafePassword = 8'421'504;

// The password seed S: resets `source`, draws one value per password code and sums
// (code XOR key byte) XOR (position mod 256). Throws EngineError(Overflow) past 2^31 - 1.
std::int32_t PasswordSeed(QByteArrayView codes, RandomSource& source = processRandomSource());

// Seeds `source` for the content keystream of `codes`: the password seed, then Reseed(-1) and
// Randomize(S). The next draw gives the key byte of content byte 1.
void seedContentKeystream(QByteArrayView codes, RandomSource& source = processRandomSource());

// Transforms `content` in place: byte j XOR the keystream byte j. The same call with the same
// password undoes it. `source` is left where the content draws put it.
void RndCryptBuffer(std::span<std::uint8_t> content, QByteArrayView codes,
                    const YieldStep& yield = {}, RandomSource& source = processRandomSource());

// At most one transform runs at a time in a process, because the generator is shared. A guard
// claims that right for its lifetime; a second claim throws EngineError(Busy).
class TransformGuard {
public:
    TransformGuard();
    ~TransformGuard();
    TransformGuard(const TransformGuard&) = delete;
    TransformGuard& operator=(const TransformGuard&) = delete;

    static bool busy();
};

namespace detail {
// The XOR of `content` with the keystream from the seeded `source`, with yields every
// kYieldInterval bytes counted from `done`; advances `source` past the content.
void transformSeeded(std::span<std::uint8_t> content, RandomSource& source, const YieldStep& yield,
                     std::uint64_t done, std::uint64_t total);
} // namespace detail

} // namespace kelvane
