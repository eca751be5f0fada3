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

// The kernels behind xorKeystream, exposed so that tests and benchmarks can hold each one to the
// reference. xorKeystream picks the widest one the processor runs.
namespace detail {
std::uint32_t xorScalar(std::uint32_t state, std::uint8_t* data, std::size_t len);
std::uint32_t xorLanes(std::uint32_t state, std::uint8_t* data, std::size_t len);
bool haveAvx2();
std::uint32_t xorAvx2(std::uint32_t state, std::uint8_t* data, std::size_t len);
const char* kernelName();
} // namespace detail

} // namespace kelvane::keystream
