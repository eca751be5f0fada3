// SPDX-License-Identifier: MIT
#include "engine/Keystream.h"

#include "engine/RandomSource.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define KELVANE_X86 1
#endif

namespace kelvane::keystream {

namespace {

constexpr Affine kStep{RandomSource::kMultiplier, RandomSource::kIncrement};

// g after f.
Affine compose(const Affine& f, const Affine& g) {
    return {g.a * f.a, g.a * f.c + g.c};
}

inline std::uint8_t keyByte(std::uint32_t x) {
    return static_cast<std::uint8_t>(x >> 16);
}

} // namespace

Affine jump(std::uint64_t n) {
    Affine result;
    Affine power = kStep;
    while (n != 0) {
        if (n & 1) {
            result = compose(result, power);
        }
        power = compose(power, power);
        n >>= 1;
    }
    return result;
}

std::uint32_t advance(std::uint32_t state, std::uint64_t n) {
    return jump(n)(state) & RandomSource::kStateMask;
}

namespace detail {

std::uint32_t xorScalar(std::uint32_t state, std::uint8_t* data, std::size_t len) {
    std::uint32_t x = state;
    for (std::size_t i = 0; i < len; ++i) {
        x = kStep(x);
        data[i] ^= keyByte(x);
    }
    return x & RandomSource::kStateMask;
}

// Portable: sixteen independent lanes, each jumping sixteen draws per round, so the multiplies
// do not wait on each other and the compiler is free to vectorise.
std::uint32_t xorLanes(std::uint32_t state, std::uint8_t* data, std::size_t len) {
    constexpr std::size_t kLanes = 16;
    const std::size_t rounds = len / kLanes;
    if (rounds != 0) {
        std::array<std::uint32_t, kLanes> lane{};
        std::uint32_t x = state;
        for (auto& l : lane) {
            x = kStep(x);
            l = x;
        }
        const Affine stride = jump(kLanes);
        for (std::size_t r = 0; r < rounds; ++r) {
            std::uint8_t* block = data + r * kLanes;
            for (std::size_t i = 0; i < kLanes; ++i) {
                block[i] ^= keyByte(lane[i]);
                lane[i] = stride(lane[i]);
            }
        }
    }
    const std::size_t done = rounds * kLanes;
    return xorScalar(advance(state, done), data + done, len - done);
}

#ifdef KELVANE_X86

bool haveAvx2() {
    static const bool have = [] {
        if (const char* off = std::getenv("KELVANE_PORTABLE"); off && *off && *off != '0') {
            return false;
        }
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return have;
}

namespace {

// Eight vectors of eight 32-bit lanes give 64 keystream bytes a round. Packing narrows them to
// bytes without any cross-lane shuffle; each lane is simply seeded with the draw that the pack
// order puts at its place, and every lane then jumps 64 draws a round.
__attribute__((target("avx2"))) inline __m256i packBytes(__m256i a, __m256i b, __m256i c,
                                                         __m256i d) {
    const __m256i low = _mm256_set1_epi16(0x00FF);
    const __m256i ab = _mm256_and_si256(
        _mm256_packus_epi32(_mm256_srli_epi32(a, 16), _mm256_srli_epi32(b, 16)), low);
    const __m256i cd = _mm256_and_si256(
        _mm256_packus_epi32(_mm256_srli_epi32(c, 16), _mm256_srli_epi32(d, 16)), low);
    return _mm256_packus_epi16(ab, cd);
}

// Where packBytes puts lane l of vector v (index 8 * v + l) in its 32-byte result.
__attribute__((target("avx2"))) std::array<std::uint8_t, 32> computePackOrder() {
    alignas(32) std::array<std::uint32_t, 32> tags{};
    for (std::uint32_t i = 0; i < 32; ++i) {
        tags[i] = i << 16;
    }
    const auto* t = reinterpret_cast<const __m256i*>(tags.data());
    std::array<std::uint8_t, 32> packed{};
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(packed.data()),
                        packBytes(_mm256_load_si256(t), _mm256_load_si256(t + 1),
                                  _mm256_load_si256(t + 2), _mm256_load_si256(t + 3)));
    std::array<std::uint8_t, 32> where{};
    for (std::uint8_t pos = 0; pos < 32; ++pos) {
        where[packed[pos]] = pos;
    }
    return where;
}

const std::array<std::uint8_t, 32>& packOrder() {
    static const std::array<std::uint8_t, 32> order = computePackOrder();
    return order;
}

} // namespace

__attribute__((target("avx2"))) std::uint32_t xorAvx2(std::uint32_t state, std::uint8_t* data,
                                                      std::size_t len) {
    constexpr std::size_t kRound = 64;
    const std::size_t rounds = len / kRound;
    if (rounds != 0) {
        const auto& where = packOrder();
        alignas(32) std::array<std::uint32_t, kRound> seeds{};
        for (std::size_t half = 0; half < 2; ++half) {
            for (std::size_t i = 0; i < 32; ++i) {
                seeds[half * 32 + i] = jump(half * 32 + where[i] + 1)(state);
            }
        }
        const auto* s = reinterpret_cast<const __m256i*>(seeds.data());
        __m256i v0 = _mm256_load_si256(s + 0), v1 = _mm256_load_si256(s + 1);
        __m256i v2 = _mm256_load_si256(s + 2), v3 = _mm256_load_si256(s + 3);
        __m256i v4 = _mm256_load_si256(s + 4), v5 = _mm256_load_si256(s + 5);
        __m256i v6 = _mm256_load_si256(s + 6), v7 = _mm256_load_si256(s + 7);
        const Affine stride = jump(kRound);
        const __m256i a = _mm256_set1_epi32(static_cast<int>(stride.a));
        const __m256i c = _mm256_set1_epi32(static_cast<int>(stride.c));
        auto* p = reinterpret_cast<__m256i*>(data);
        for (std::size_t r = 0; r < rounds; ++r, p += 2) {
            const __m256i k0 = packBytes(v0, v1, v2, v3);
            const __m256i k1 = packBytes(v4, v5, v6, v7);
            _mm256_storeu_si256(p, _mm256_xor_si256(_mm256_loadu_si256(p), k0));
            _mm256_storeu_si256(p + 1, _mm256_xor_si256(_mm256_loadu_si256(p + 1), k1));
            v0 = _mm256_add_epi32(_mm256_mullo_epi32(v0, a), c);
            v1 = _mm256_add_epi32(_mm256_mullo_epi32(v1, a), c);
            v2 = _mm256_add_epi32(_mm256_mullo_epi32(v2, a), c);
            v3 = _mm256_add_epi32(_mm256_mullo_epi32(v3, a), c);
            v4 = _mm256_add_epi32(_mm256_mullo_epi32(v4, a), c);
            v5 = _mm256_add_epi32(_mm256_mullo_epi32(v5, a), c);
            v6 = _mm256_add_epi32(_mm256_mullo_epi32(v6, a), c);
            v7 = _mm256_add_epi32(_mm256_mullo_epi32(v7, a), c);
        }
    }
    const std::size_t done = rounds * kRound;
    return xorScalar(advance(state, done), data + done, len - done);
}

#else

bool haveAvx2() {
    return false;
}
std::uint32_t xorAvx2(std::uint32_t state, std::uint8_t* data, std::size_t len) {
    return xorLanes(state, data, len);
}

#endif

const char* kernelName() {
    return haveAvx2() ? "avx2" : "portable";
}

void xorBytesPortable(std::uint8_t* data, const std::uint8_t* key, std::size_t len) {
    std::size_t i = 0;
    for (; i + 8 <= len; i += 8) {
        std::uint64_t d = 0;
        std::uint64_t k = 0;
        std::memcpy(&d, data + i, 8);
        std::memcpy(&k, key + i, 8);
        d ^= k;
        std::memcpy(data + i, &d, 8);
    }
    for (; i < len; ++i) {
        data[i] ^= key[i];
    }
}

#ifdef KELVANE_X86

namespace {

__attribute__((target("avx2"))) void xorBytesAvx2(std::uint8_t* data, const std::uint8_t* key,
                                                  std::size_t len) {
    std::size_t i = 0;
    for (; i + 128 <= len; i += 128) {
        auto* d = reinterpret_cast<__m256i*>(data + i);
        const auto* k = reinterpret_cast<const __m256i*>(key + i);
        const __m256i x0 = _mm256_xor_si256(_mm256_loadu_si256(d), _mm256_loadu_si256(k));
        const __m256i x1 = _mm256_xor_si256(_mm256_loadu_si256(d + 1), _mm256_loadu_si256(k + 1));
        const __m256i x2 = _mm256_xor_si256(_mm256_loadu_si256(d + 2), _mm256_loadu_si256(k + 2));
        const __m256i x3 = _mm256_xor_si256(_mm256_loadu_si256(d + 3), _mm256_loadu_si256(k + 3));
        _mm256_storeu_si256(d, x0);
        _mm256_storeu_si256(d + 1, x1);
        _mm256_storeu_si256(d + 2, x2);
        _mm256_storeu_si256(d + 3, x3);
    }
    xorBytesPortable(data + i, key + i, len - i);
}

} // namespace

void xorBytes(std::uint8_t* data, const std::uint8_t* key, std::size_t len) {
    if (haveAvx2()) {
        xorBytesAvx2(data, key, len);
    } else {
        xorBytesPortable(data, key, len);
    }
}

#else

void xorBytes(std::uint8_t* data, const std::uint8_t* key, std::size_t len) {
    xorBytesPortable(data, key, len);
}

#endif

} // namespace detail

namespace {

struct FreeBytes {
    void operator()(std::uint8_t* p) const { std::free(p); }
};

std::atomic<bool> g_periodBuilt{false};

// Byte i is the key byte after i + 1 draws from state 0: one whole cycle of the generator.
const std::uint8_t* period() {
    static const std::unique_ptr<std::uint8_t, FreeBytes> table = [] {
        std::unique_ptr<std::uint8_t, FreeBytes> bytes(
            static_cast<std::uint8_t*>(std::calloc(kPeriod, 1)));
        if (!bytes) {
            throw std::bad_alloc();
        }
        xorKeystream(0, bytes.get(), kPeriod);
        g_periodBuilt.store(true, std::memory_order_release);
        return bytes;
    }();
    return table.get();
}

} // namespace

// A full-period generator modulo 2^24 reaches any state; the distance is found one bit at a
// time: after 2^i draws the low i bits come back and bit i flips, so bit i of the distance is
// decided by bit i of the state once the lower bits agree.
std::uint64_t cyclePosition(std::uint32_t state) {
    std::uint32_t current = 0;
    Affine step = kStep;
    std::uint64_t distance = 0;
    for (std::uint32_t bit = 1; bit <= RandomSource::kStateMask; bit <<= 1) {
        if (((current ^ state) & bit) != 0) {
            current = step(current);
            distance |= bit;
        }
        step = compose(step, step);
    }
    return distance;
}

std::uint32_t xorFromPeriod(std::uint32_t state, std::uint8_t* data, std::size_t len) {
    const std::uint8_t* table = period();
    std::size_t position = static_cast<std::size_t>(cyclePosition(state));
    for (std::size_t done = 0; done < len;) {
        const std::size_t run = std::min(len - done, kPeriod - position);
        detail::xorBytes(data + done, table + position, run);
        done += run;
        position = 0;
    }
    return advance(state, len);
}

bool periodPays(std::uint64_t length) {
    return !detail::haveAvx2() &&
           (length >= kPeriodThreshold || g_periodBuilt.load(std::memory_order_acquire));
}

std::uint32_t xorKeystream(std::uint32_t state, std::uint8_t* data, std::size_t len) {
    return detail::haveAvx2() ? detail::xorAvx2(state, data, len)
                              : detail::xorLanes(state, data, len);
}

} // namespace kelvane::keystream
