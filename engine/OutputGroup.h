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
// The group flushes by itself once it holds capacity() outputs or kMaxBytes of content. Every
// flush costs the disk about the same whatever it holds, so the group holds as many outputs as
// the process may keep open (each takes two descriptors), up to kMaxFiles, and leaves
// kSpareDescriptors for the rest of the program. An output of kLargeFile bytes or more is published
// at once on its own: its own flush costs about what its data costs the disk anyway, while a flush
// of the whole file system would wait for whatever else is being written there. Outputs still held
// when the group is destroyed without a flush are discarded, and their `done` is not called.
class OutputGroup {
public:
    // Called once for each output: with no error once it is published and durable, otherwise with
    // the error that kept it from being published (nothing of it is left).
    using Done = std::function<void(const EngineError* error)>;

    static constexpr std::size_t kMaxFiles = 4096;
    static constexpr std::size_t kSpareDescriptors = 256;
    static constexpr std::uint64_t kMaxBytes = 64u * 1024 * 1024;
    static constexpr std::uint64_t kLargeFile = 4u * 1024 * 1024;

    // Raises the process's soft limit of open files as far as a full group needs, where the hard
    // limit allows. For a program that opens no other files in great numbers, before it starts
    // any group; a program that starts others should not (they inherit the limit).
    static void raiseDescriptorLimit();

    // The group's capacity is fixed by the process's limit of open files when it is made.
    OutputGroup();
    ~OutputGroup();
    OutputGroup(const OutputGroup&) = delete;
    OutputGroup& operator=(const OutputGroup&) = delete;

    // Takes a finished output of `bytes` bytes.
    void add(std::unique_ptr<AtomicOutput> output, std::uint64_t bytes, Done done);

    // Publishes every output held, and calls each one's `done`. Never throws.
    void flush();

    std::size_t pending() const { return m_entries.size(); }
    // How many outputs the group holds before it flushes by itself.
    std::size_t capacity() const { return m_capacity; }

private:
    struct Entry {
        std::unique_ptr<AtomicOutput> output;
        Done done;
    };
    std::vector<Entry> m_entries;
    std::uint64_t m_bytes = 0;
    std::size_t m_capacity = 1;
};

} // namespace kelvane
