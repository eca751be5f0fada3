// SPDX-License-Identifier: MIT
#include "engine/RandomSource.h"

#include <bit>
#include <cassert>

namespace kelvane {

float RandomSource::NextValue() {
    step();
    // The state has 24 bits, so the quotient is exact in single precision.
    return static_cast<float>(m_state) / 16777216.0f;
}

float RandomSource::Reseed(float value) {
    assert(value < 0.0f);
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    m_state = (bits + (bits >> 24)) & kStateMask;
    return NextValue();
}

void RandomSource::Randomize(double value) {
    const auto high = static_cast<std::int32_t>(
        static_cast<std::uint32_t>(std::bit_cast<std::uint64_t>(value) >> 32));
    const std::uint32_t mixed =
        (static_cast<std::uint32_t>(high & 0xFFFF) ^ static_cast<std::uint32_t>(high >> 16)) &
        0xFFFF;
    m_state = (m_state & 0xFF0000FF) | (mixed << 8);
}

RandomSource& processRandomSource() {
    static RandomSource source;
    return source;
}

} // namespace kelvane
