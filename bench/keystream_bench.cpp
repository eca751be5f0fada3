// SPDX-License-Identifier: MIT
// In-memory speed of the keystream transform against memcpy of the same buffer.
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

void BM_portable(benchmark::State& state) {
    auto& data = buffer();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            kelvane::keystream::detail::xorLanes(0x123456, data.data(), kBufferSize));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferSize));
}

} // namespace

BENCHMARK(BM_memcpy)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_RndCryptBuffer)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_portable)->Unit(benchmark::kMillisecond)->MinTime(1.0);

BENCHMARK_MAIN();
