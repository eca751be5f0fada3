// SPDX-License-Identifier: MIT
#pragma once

#include "engine/AtomicOutput.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <span>

namespace kelvane::detail {

// One chunk of the input on its way to the output, transformed in place; `offset` is where it
// starts in the file.
using ChunkStep = std::function<void(std::span<std::uint8_t> chunk, std::uint64_t offset)>;

// Streams `inputPath` into `outputPath` chunk by chunk through `step`, after calling `start` with
// the input's size once both files are open. The input must be a regular file that does not
// change during the run (SourceFile); the output appears only complete and flushed, with the
// input's read/write/execute bits (AtomicOutput). On any failure, and when `start` or `step`
// throws, nothing is left and an existing output stays as it was. Returns the number of bytes
// written. Throws EngineError: Read, Write, OutputExists, OutputNotFile, or what `step` throws.
qint64 streamFile(const QString& inputPath, const QString& outputPath, Replace replace,
                  const std::function<void(std::uint64_t size)>& start, const ChunkStep& step);

// The whole content of `path`. Throws EngineError(Read).
QByteArray readAll(const QString& path);

} // namespace kelvane::detail
