#pragma once

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
// the input's size once both files are open. The output is written to a temporary file beside
// its place, with the input's permission bits, and renamed onto it only when every byte is
// written and flushed; on any failure nothing is left and an existing output stays as it was.
// Both files are closed on every path. Returns the number of bytes written.
// Throws EngineError: Read (the input is missing, a folder or unreadable), Write.
qint64 streamFile(const QString& inputPath, const QString& outputPath,
                  const std::function<void(std::uint64_t size)>& start, const ChunkStep& step);

// The whole content of `path`. Throws EngineError(Read).
QByteArray readAll(const QString& path);

} // namespace kelvane::detail
