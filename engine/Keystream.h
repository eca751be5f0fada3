// SPDX-License-Identifier: MIT
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvane::keystream {

// The generator step x -> a*x + c, taken modulo 2^32. Only the low 24 bits are the generator's
// state, and they evolve exactly as they do modulo 2^24, so the fast kernels never mask.
struct Affine {
    std::uint32_t a = 1;
    std::uint32_t c = 0;

    std::uint32_t operator()(std::uint32_t x) const { return a * x + c; }
};

// The step applied n times: lets the kernels run independent lanes and jump to any position.
Affine jump(std::uint64_t n);

// The generator state n draws after `state` (24 bits).
std::uint32_t advance(std::uint32_t state, std::uint64_t n);

// XORs data[0..len) with the keystream that draws from `state`: byte j gets the top 8 bits of
// the 24-bit state after j + 1 draws. Returns the state after len draws.
std::uint32_t xorKeystream(std::uint32_t state, std::uint8_t* data, std::size_t len);

// The generator runs through all 2^24 states before it repeats, so every keystream repeats after
// kPeriod bytes, and every keystream is the same cycle entered at another place.
inline constexpr std::size_t kPeriod = std::size_t{1} << 24;

// A transform of at least this many bytes in all XORs with one precomputed period instead of
// running the portable generator kernel: building the period costs one period of that kernel,
// and XOR with the period runs about six times as fast, so it pays from about 19 MiB on.
inline constexpr std::uint64_t kPeriodThreshold = 20u * 1024 * 1024;

// Where `state` stands on the generator's cycle, counted in draws from state 0:
// advance(0, cyclePosition(state)) == state.
std::uint64_t cyclePosition(std::uint32_t state);

// xorKeystream through the precomputed period (built at the first call, 16 MiB, kept for the
// life of the process): the same bytes and the same returned state.
std::uint32_t xorFromPeriod(std::uint32_t state, std::uint8_t* data, std::size_t len);

// True when a transform of `length` bytes in all should use xorFromPeriod: with the portable
// generator kernel, a long one, or any once the period has been built. The AVX2 generator kernel
// runs faster than XOR with the period, which reads twice the memory, and is always used.
bool periodPays(std::uint64_t length);

// The kernels behind xorKeystream, exposed so that tests and benchmarks can hold each one to the
// reference. xorKeystream picks the widest one the processor runs.
namespace detail {
std::uint32_t xorScalar(std::uint32_t state, std::uint8_t* data, std::size_t len);
std::uint32_t xorLanes(std::uint32_t state, std::uint8_t* data, std::size_t len);
bool haveAvx2();
std::uint32_t xorAvx2(std::uint32_t state, std::uint8_t* data, std::size_t len);
const char* kernelName();
// data[i] ^= key[i] for i < len, with the widest instructions the processor runs.
void xorBytes(std::uint8_t* data, const std::uint8_t* key, std::size_t len);
void xorBytesPortable(std::uint8_t* data, const std::uint8_t* key, std::size_t len);
} // namespace detail

} // namespace kelvane::keystream
