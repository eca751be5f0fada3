// SPDX-License-Identifier: MIT
#pragma once

#include "engine/AtomicOutput.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kelvane {

class EngineError;

// Publishes many finished outputs with few flushes. Each output joins the group complete but
// unpublished; flush() makes the data of all of them durable with one flush of their file system
// (syncfs, which reports any write error met on it) before any name appears, then publishes each
// one (AtomicOutput::commit; where the file system's flush failed or cannot report errors, each
// output is flushed alone first), then flushes each folder once for every name published in it.
// Only then is each output reported done. Every guarantee of AtomicOutput holds for each output.
//
// The group flushes by itself once it holds kMaxFiles outputs or kMaxBytes of content, so that it
// never holds too many open files. An output of kLargeFile bytes or more is published at once on
// its own: its own flush costs about what its data costs the disk anyway, while a flush of the
// whole file system would wait for whatever else is being written there. Outputs still held when
// the group is destroyed without a flush are discarded, and their `done` is not called.
class OutputGroup {
public:
    // Called once for each output: with no error once it is published and durable, otherwise with
    // the error that kept it from being published (nothing of it is left).
    using Done = std::function<void(const EngineError* error)>;

    static constexpr std::size_t kMaxFiles = 256;
    static constexpr std::uint64_t kMaxBytes = 64u * 1024 * 1024;
    static constexpr std::uint64_t kLargeFile = 4u * 1024 * 1024;

    OutputGroup() = default;
    ~OutputGroup();
    OutputGroup(const OutputGroup&) = delete;
    OutputGroup& operator=(const OutputGroup&) = delete;

    // Takes a finished output of `bytes` bytes.
    void add(std::unique_ptr<AtomicOutput> output, std::uint64_t bytes, Done done);

    // Publishes every output held, and calls each one's `done`. Never throws.
    void flush();

    std::size_t pending() const { return m_entries.size(); }

private:
    struct Entry {
        std::unique_ptr<AtomicOutput> output;
        Done done;
    };
    std::vector<Entry> m_entries;
    std::uint64_t m_bytes = 0;
};

} // namespace kelvane
