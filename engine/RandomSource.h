// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace kelvane {

// The legacy platform's pseudo-random generator, reproduced bit for bit so that files locked
// under the legacy runtime open here. A 24-bit linear congruential generator:
//   state' = (state * 0x43FD43FD + 0xC39EC3) mod 2^24,  value = state' / 2^24.
// The lock engine owns one process-wide instance (processRandomSource); tests may build their own.
class RandomSource {
public:
    static constexpr std::uint32_t kInitialState = 0x50000;
    static constexpr std::uint32_t kMultiplier = 0x43FD43FD;
    static constexpr std::uint32_t kIncrement = 0xC39EC3;
    static constexpr std::uint32_t kStateMask = 0xFFFFFF;

    RandomSource() = default;
    explicit RandomSource(std::uint32_t state) : m_state(state & kStateMask) {}

    // Advances the state and returns the next value v, 0 <= v < 1.
    float NextValue();

    // Replaces the whole state by one computed from `value` alone (value must be negative),
    // then advances once and returns that value.
    float Reseed(float value);

    // Mixes the high word of `value` (as a double) into the middle 16 bits of the state.
    void Randomize(double value);

    // floor(NextValue() * 256): the keystream byte of the next draw.
    std::uint8_t NextByte() {
        step();
        return static_cast<std::uint8_t>(m_state >> 16);
    }

    std::uint32_t state() const { return m_state; }
    void setState(std::uint32_t state) { m_state = state & kStateMask; }

    static constexpr std::uint32_t next(std::uint32_t state) {
        return (state * kMultiplier + kIncrement) & kStateMask;
    }

private:
    void step() { m_state = next(m_state); }

    std::uint32_t m_state = kInitialState;
};

// The one generator of this process. Both keystream transforms draw from it.
RandomSource& processRandomSource();

} // namespace kelvane
