#include "RandomSource.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using kelvane::RandomSource;

namespace {

// Values the legacy runtime is documented to produce, printed to seven significant digits.
void expectValues(RandomSource& source, const std::vector<double>& expected) {
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(source.NextValue(), expected[i], 5e-7) << "draw " << i + 1;
    }
}

TEST(RandomSource, FreshProcessSequence) {
    RandomSource source;
    expectValues(source, {0.7055475, 0.533424, 0.5795186, 0.2895625, 0.301948});
}

TEST(RandomSource, ReseedAndRandomize) {
    struct Case {
        float reseed;
        double reseedValue;
    };
    for (const Case c : {Case{-10.0f, 0.3276443}, Case{-1.0f, 0.224007}}) {
        RandomSource source;
        source.NextValue(); // Reseed ignores every earlier draw
        EXPECT_NEAR(source.Reseed(c.reseed), c.reseedValue, 5e-7) << c.reseed;
    }
    RandomSource source;
    source.Reseed(-10.0f);
    source.Randomize(10);
    expectValues(source, {0.2077829, 0.4407803, 0.6152623});
}

TEST(RandomSource, KeyByteIsTheValueTimes256) {
    RandomSource a(0x123456);
    RandomSource b(0x123456);
    for (int i = 0; i < 1000; ++i) {
        EXPECT_EQ(b.NextByte(), static_cast<int>(std::floor(a.NextValue() * 256.0f)));
    }
}

TEST(RandomSource, RandomizeReplacesOnlyTheMiddleOfTheState) {
    // Negative and huge arguments too: the low byte stays and the state keeps to 24 bits.
    for (const double value : {0.0, 1.0, 10.0, -3.5, 2147483647.0, -2147483648.0, 1e300}) {
        RandomSource source(0xABCDEF);
        source.Randomize(value);
        EXPECT_EQ(source.state() & 0xFF, 0xEFu) << value;
        EXPECT_LE(source.state(), RandomSource::kStateMask);
    }
}

} // namespace
