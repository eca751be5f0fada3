// SPDX-License-Identifier: MIT
#pragma once

#include "engine/AtomicOutput.h"
#include "engine/OutputGroup.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace kelvane::detail {

// How streamFile's whole chunks reach the disk. Windowed, through the page cache with a sliding
// window of stretches handed to the disk, keeps many writes in flight and is the faster one on the
// disks measured; Direct (O_DIRECT, one chunk at a time) is chosen with KELVANE_DIRECT_IO=1 for a
// disk where it is the faster one. Both end in the same flush before the output is published.
enum class WritePath { Windowed, Direct };
// The path in force; tests set it.
WritePath& writePath();

// Writes an output file by a write path. Windowed: every write goes through the page cache, which
// takes it at memory speed while the disk works on the stretches handed over before, so that the
// transform of the next chunk overlaps the disk's work, and the cache holds no more than a window
// of the file. Direct: where the file system allows it, whole aligned chunks go straight to the
// disk (O_DIRECT), one at a time; the rest, and everything on a file system that refuses direct
// writes, goes through the cache as on the windowed path. The output's commit() flushes the rest.
class OutputWriter {
public:
    OutputWriter(AtomicOutput& output, WritePath path);

    // Writes all of `data` (AtomicOutput::write). Throws EngineError(Write).
    void write(const std::uint8_t* data, std::size_t size);

private:
    void setDirect(bool on);
    void slideWindow();

    AtomicOutput& m_output;
    bool m_direct = false;
    std::uint64_t m_written = 0;
    std::uint64_t m_handedOver = 0;
    std::uint64_t m_dropped = 0;
};

// One chunk of the input on its way to the output, transformed in place; `offset` is where it
// starts in the file.
using ChunkStep = std::function<void(std::span<std::uint8_t> chunk, std::uint64_t offset)>;

// Streams `inputPath` into `outputPath` chunk by chunk through `step`, after calling `start` with
// the input's size once both files are open. The input must be a regular file that does not
// change during the run (SourceFile); the output appears only complete and flushed, with the
// input's read/write/execute bits (AtomicOutput). On any failure, and when `start` or `step`
// throws, nothing is left and an existing output stays as it was. Returns the number of bytes
// written. Throws EngineError: Read, Write, OutputExists, OutputNotFile, or what `step` throws.
// With a `group`, the finished output joins it instead of being published at once (OutputGroup).
qint64 streamFile(const QString& inputPath, const QString& outputPath, Replace replace,
                  const std::function<void(std::uint64_t size)>& start, const ChunkStep& step,
                  OutputGroup* group = nullptr, OutputGroup::Done done = {});

// The whole content of `path`. Throws EngineError(Read).
QByteArray readAll(const QString& path);

} // namespace kelvane::detail
