// SPDX-License-Identifier: MIT
#pragma once

#include "engine/AtomicOutput.h"
#include "engine/OutputGroup.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <span>

namespace kelvane::detail {

// How streamFile's whole chunks reach the disk. Windowed: through the page cache, with a sliding
// window of stretches handed to the disk, so that the disk has many writes queued. Direct: straight
// to the disk (O_DIRECT), several chunks in flight at once (io_uring), so that the disk is never
// idle and no copy goes through the cache. Automatic takes the direct path on a solid-state disk
// and the windowed one elsewhere (see README, "How the output reaches the disk", for the figures
// that chose this). KELVANE_DIRECT_IO=1 or =0 sets Direct or Windowed. Every path ends in the
// same flush before the output is published.
enum class WritePath { Automatic, Windowed, Direct };
// The path set for every output; tests set it.
WritePath& writePath();
// The path an output open at `fd` takes under `setting`: Windowed or Direct.
WritePath pathFor(WritePath setting, int fd);

// Writes an output file by a write path. Windowed: every write goes through the page cache, which
// takes it at memory speed while the disk works on the stretches handed over before, so that the
// transform of the next chunk overlaps the disk's work, and the cache holds no more than a window
// of the file. Direct: where the file system allows it, whole chunks filled in buffer() go to the
// disk directly, up to four in flight while the next is filled; a chunk the file system refuses
// to take directly, a partial one, and everything when no io_uring can be had under Automatic, go
// through the cache as on the windowed path. finish() waits for every write; the output's
// commit() then flushes the rest.
// Memory from std::aligned_alloc, given back with std::free.
struct AlignedFree {
    void operator()(std::uint8_t* memory) const { std::free(memory); }
};
using AlignedBuffer = std::unique_ptr<std::uint8_t, AlignedFree>;

class OutputWriter {
public:
    // `size` is what the whole output is expected to hold; a smaller file gets a smaller buffer.
    OutputWriter(AtomicOutput& output, WritePath path, std::uint64_t size = 0);
    // Waits for the writes still in flight, if any (after a failure): their buffers are freed
    // only then.
    ~OutputWriter();
    OutputWriter(const OutputWriter&) = delete;
    OutputWriter& operator=(const OutputWriter&) = delete;

    // A buffer to fill with the next chunk, aligned for direct writes, at most one chunk long.
    // Waits for its last write to finish. Throws EngineError(Write) when that write failed.
    std::span<std::uint8_t> buffer();
    // Writes all of `data` at the end of what was written before: directly and in flight when it
    // is the whole of the buffer() last given, otherwise at once. Throws EngineError(Write).
    void write(const std::uint8_t* data, std::size_t size);
    // Waits until every write is in the file. Throws EngineError(Write) when one failed.
    void finish();

private:
    struct Ring;
    void setDirect(bool on);
    void slideWindow();
    void submit(std::size_t size);
    void awaitOne();
    void drain();
    void seekTo(std::uint64_t offset);

    AtomicOutput& m_output;
    bool m_direct = false;
    std::uint64_t m_written = 0;
    std::uint64_t m_handedOver = 0;
    std::uint64_t m_dropped = 0;
    AlignedBuffer m_buffer; // on the windowed path, made at the first buffer()
    std::size_t m_bufferSize = 0;
    std::unique_ptr<Ring> m_ring; // while direct writes are in flight
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
