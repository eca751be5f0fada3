// SPDX-License-Identifier: MIT
#pragma once

#include "engine/AtomicOutput.h"
#include "engine/Cipher.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <memory>

namespace kelvane {

class SourceFile;

namespace detail {
class OutputWriter;
}

// Where a stream transform reads: a file, under the rules of SourceFile (a regular file that must
// not change while it is read), or an open descriptor such as a pipe, read to its end.
class StreamInput {
public:
    // Throws EngineError(Read) as SourceFile does.
    static StreamInput file(const QString& path);
    // Reads `fd`, which stays open and the caller's; `name` words the messages.
    static StreamInput descriptor(int fd, const QString& name);

    StreamInput(StreamInput&&) noexcept;
    StreamInput& operator=(StreamInput&&) noexcept;
    ~StreamInput();

    const QString& name() const { return m_name; }
    int handle() const;
    // The number of bytes to come when it is known (a file), otherwise 0.
    std::uint64_t size() const;

    // Up to `capacity` next bytes; 0 at the end. Throws EngineError(Read).
    std::size_t read(std::uint8_t* buffer, std::size_t capacity);
    // After the last read: throws EngineError(Read) when a file changed meanwhile.
    void finish() const;

private:
    StreamInput(std::unique_ptr<SourceFile> file, int fd, const QString& name);

    std::unique_ptr<SourceFile> m_file;
    int m_fd = -1;
    QString m_name;
};

// Where a stream transform writes: a new file, under the rules of AtomicOutput (it appears only
// complete and flushed, and replaces nothing unless allowed), or an open descriptor such as a
// pipe, which gets every byte as soon as it is transformed.
class StreamOutput {
public:
    // Throws EngineError as the AtomicOutput constructor does.
    static StreamOutput file(const QString& path, Replace replace, unsigned permissions);
    // Writes to `fd`, which stays open and the caller's; `name` words the messages.
    static StreamOutput descriptor(int fd, const QString& name);

    StreamOutput(StreamOutput&&) noexcept;
    StreamOutput& operator=(StreamOutput&&) noexcept;
    ~StreamOutput();

    const QString& name() const { return m_name; }
    // The descriptor written to, or -1 for a file (its temporary file is new and nobody's input).
    int descriptor() const { return m_fd; }

    // Writes all of `data`. Throws EngineError(Write), also for a reader that has gone (EPIPE;
    // the caller ignores SIGPIPE to get this far).
    void write(const std::uint8_t* data, std::size_t size);
    // After the last write: publishes a file (AtomicOutput::commit). Throws EngineError.
    void finish();

private:
    StreamOutput(std::unique_ptr<AtomicOutput> file, int fd, const QString& name);

    std::unique_ptr<AtomicOutput> m_file;
    std::unique_ptr<detail::OutputWriter> m_writer; // m_file's, on the windowed path
    int m_fd = -1;
    QString m_name;
};

// RndCrypt between streams: reads `input` in chunks, XORs each with the content keystream of
// `Password` and writes it to `output`, in memory of one chunk whatever the length. The bytes, and
// where the process generator is left, are exactly those of RndCrypt on a file of the same
// content. `yield` is called as RndCrypt calls it, with a total of 0 when the length is not known
// in advance. A descriptor output that is the input's own file is refused before anything is
// read; a failure after that leaves a file output unpublished, while bytes already written to a
// descriptor stay written. Returns the number of bytes transformed.
// Throws EngineError: Charset or Overflow (before anything is read), SameFile, Read, Write, Busy,
// OutputExists, OutputNotFile, or what `yield` throws.
qint64 RndCryptStream(StreamInput& input, StreamOutput& output, const QString& Password,
                      const YieldStep& yield = {});

} // namespace kelvane
