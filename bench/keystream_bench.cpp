// SPDX-License-Identifier: MIT
// In-memory speed of the keystream transform against memcpy of the same buffer: the whole
// transform, and each of its two ways (the generator's kernel, the precomputed period). Run with
// KELVANE_PORTABLE=1 for the portable kernels.
#include "engine/Cipher.h"
#include "engine/Keystream.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kBufferSize = 256u * 1024 * 1024;

std::vector<std::uint8_t>& buffer() {
    static std::vector<std::uint8_t> data(kBufferSize, 0x5A);
    return data;
}

void BM_memcpy(benchmark::State& state) {
    auto& source = buffer();
    std::vector<std::uint8_t> target(kBufferSize, 0);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), kBufferSize);
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferSize));
}

void BM_RndCryptBuffer(benchmark::State& state) {
    auto& data = buffer();
    kelvane::RandomSource source;
    for (auto _ : state) {
        kelvane::RndCryptBuffer(data, "benchmark password", {}, source);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferSize));
    state.SetLabel(kelvane::keystream::detail::kernelName());
}

// The generator's kernel alone.
void BM_generator(benchmark::State& state) {
    auto& data = buffer();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            kelvane::keystream::xorKeystream(0x123456, data.data(), kBufferSize));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferSize));
}

// The precomputed period alone, once it is built.
void BM_period(benchmark::State& state) {
    auto& data = buffer();
    kelvane::keystream::xorFromPeriod(0, data.data(), 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            kelvane::keystream::xorFromPeriod(0x123456, data.data(), kBufferSize));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferSize));
}

} // namespace

BENCHMARK(BM_memcpy)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RndCryptBuffer)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_generator)->Unit(benchmark::kMillisecond)->MinTime(1.0);
BENCHMARK(BM_period)->Unit(benchmark::kMillisecond)->MinTime(1.0);

BENCHMARK_MAIN();
