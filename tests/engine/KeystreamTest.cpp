#include "Keystream.h"
#include "RandomSource.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

using namespace kelvane;
namespace ks = kelvane::keystream;

namespace {

std::vector<std::uint8_t> pattern(std::size_t length) {
    std::vector<std::uint8_t> data(length);
    std::iota(data.begin(), data.end(), std::uint8_t{7});
    return data;
}

// The generator itself, one draw at a time.
std::uint32_t reference(std::uint32_t state, std::vector<std::uint8_t>& data) {
    RandomSource source(state);
    for (auto& byte : data) {
        byte ^= source.NextByte();
    }
    return source.state();
}

TEST(Keystream, JumpMatchesSteppingAndWrapsAtThePeriod) {
    for (const std::uint64_t n : {0ull, 1ull, 2ull, 63ull, 64ull, 1000ull}) {
        std::uint32_t stepped = 0x5A5A5A;
        for (std::uint64_t i = 0; i < n; ++i) {
            stepped = RandomSource::next(stepped);
        }
        EXPECT_EQ(ks::advance(0x5A5A5A, n), stepped) << n;
    }
    EXPECT_EQ(ks::advance(0x123456, 1ull << 24), 0x123456u);
    EXPECT_NE(ks::advance(0x123456, 1ull << 23), 0x123456u);
}

// Every kernel against the reference, for lengths around their round sizes and from odd states.
TEST(Keystream, KernelsMatchTheGenerator) {
    using Kernel = std::uint32_t (*)(std::uint32_t, std::uint8_t*, std::size_t);
    std::vector<std::pair<const char*, Kernel>> kernels = {{"scalar", ks::detail::xorScalar},
                                                           {"lanes", ks::detail::xorLanes},
                                                           {"dispatch", ks::xorKeystream}};
    if (ks::detail::haveAvx2()) {
        kernels.emplace_back("avx2", ks::detail::xorAvx2);
    }
    for (const std::size_t length : {0, 1, 15, 16, 17, 63, 64, 65, 127, 128, 1000, 65536 + 3}) {
        for (const std::uint32_t state : {0u, 0x50000u, 0xFFFFFFu, 0x8000BFu}) {
            std::vector<std::uint8_t> expected = pattern(length);
            const std::uint32_t expectedState = reference(state, expected);
            for (const auto& [name, kernel] : kernels) {
                std::vector<std::uint8_t> data = pattern(length);
                EXPECT_EQ(kernel(state, data.data(), data.size()), expectedState)
                    << name << " length " << length;
                EXPECT_EQ(data, expected) << name << " length " << length << " state " << state;
            }
        }
    }
}

} // namespace
