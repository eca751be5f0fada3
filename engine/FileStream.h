// SPDX-License-Identifier: MIT
#pragma once

#include "engine/AtomicOutput.h"
#include "engine/OutputGroup.h"

#include <QByteArray>
#include <QString>

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
