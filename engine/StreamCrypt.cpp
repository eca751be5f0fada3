// SPDX-License-Identifier: MIT
#include "engine/StreamCrypt.h"

#include "engine/Charset.h"
#include "engine/EngineError.h"
#include "engine/FileStream.h"
#include "engine/SourceFile.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvane {

namespace {

// Pipes hand over at most 64 KiB at a time; a larger chunk only helps files.
constexpr std::size_t kStreamChunk = 256 * 1024;

// A descriptor left non-blocking by whoever opened it (some shells and ssh do this to the
// standard streams) is waited on instead of failing with EAGAIN.
void waitFor(int fd, short events) {
    pollfd poll{fd, events, 0};
    while (::poll(&poll, 1, -1) < 0 && errno == EINTR) {
    }
}

// Writing a file into itself (`lock x -o - >> x`) would never end and would change the input.
void refuseSameFile(const StreamInput& input, const StreamOutput& output) {
    struct stat in {};
    struct stat out {};
    if (output.descriptor() < 0 || ::fstat(input.handle(), &in) != 0 ||
        ::fstat(output.descriptor(), &out) != 0) {
        return;
    }
    if (S_ISREG(in.st_mode) && in.st_dev == out.st_dev && in.st_ino == out.st_ino) {
        throw EngineError(EngineError::Kind::SameFile,
                          QStringLiteral("The output %1 is the source %2 itself; choose another "
                                         "output.")
                              .arg(output.name(), input.name()));
    }
}

} // namespace

StreamInput::StreamInput(std::unique_ptr<SourceFile> file, int fd, const QString& name)
    : m_file(std::move(file)), m_fd(fd), m_name(name) {}
StreamInput::StreamInput(StreamInput&&) noexcept = default;
StreamInput& StreamInput::operator=(StreamInput&&) noexcept = default;
StreamInput::~StreamInput() = default;

StreamInput StreamInput::file(const QString& path) {
    return StreamInput(std::make_unique<SourceFile>(path), -1, path);
}

StreamInput StreamInput::descriptor(int fd, const QString& name) {
    return StreamInput(nullptr, fd, name);
}

int StreamInput::handle() const {
    return m_file ? m_file->handle() : m_fd;
}

std::uint64_t StreamInput::size() const {
    return m_file ? m_file->size() : 0;
}

std::size_t StreamInput::read(std::uint8_t* buffer, std::size_t capacity) {
    if (m_file) {
        return m_file->read(buffer, capacity);
    }
    for (;;) {
        const ssize_t got = ::read(m_fd, buffer, capacity);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno == EAGAIN) {
            waitFor(m_fd, POLLIN);
        } else if (errno != EINTR) {
            throw EngineError::reading(m_name, EngineError::systemReason(errno));
        }
    }
}

void StreamInput::finish() const {
    if (m_file) {
        m_file->checkUnchanged();
    }
}

// A file from a stream is written on the windowed path, whatever path files take: a stream's
// chunks come in any size and cannot go to the disk directly.
StreamOutput::StreamOutput(std::unique_ptr<AtomicOutput> file, int fd, const QString& name)
    : m_file(std::move(file)),
      m_writer(m_file ? std::make_unique<detail::OutputWriter>(*m_file, detail::WritePath::Windowed)
                      : nullptr),
      m_fd(fd), m_name(name) {}
StreamOutput::StreamOutput(StreamOutput&&) noexcept = default;
StreamOutput& StreamOutput::operator=(StreamOutput&&) noexcept = default;
StreamOutput::~StreamOutput() = default;

StreamOutput StreamOutput::file(const QString& path, Replace replace, unsigned permissions) {
    return StreamOutput(std::make_unique<AtomicOutput>(path, replace, permissions), -1, path);
}

StreamOutput StreamOutput::descriptor(int fd, const QString& name) {
    return StreamOutput(nullptr, fd, name);
}

void StreamOutput::write(const std::uint8_t* data, std::size_t size) {
    if (m_writer) {
        m_writer->write(data, size);
        return;
    }
    while (size > 0) {
        const ssize_t wrote = ::write(m_fd, data, size);
        if (wrote > 0) {
            data += wrote;
            size -= static_cast<std::size_t>(wrote);
        } else if (wrote < 0 && errno == EAGAIN) {
            waitFor(m_fd, POLLOUT);
        } else if (wrote == 0 || errno != EINTR) {
            throw EngineError::writing(m_name, EngineError::systemReason(wrote == 0 ? EIO : errno));
        }
    }
}

void StreamOutput::finish() {
    if (m_file) {
        m_file->commit();
    }
}

qint64 RndCryptStream(StreamInput& input, StreamOutput& output, const QString& Password,
                      const YieldStep& yield) {
    const QByteArray codes = passwordCodes(Password);
    TransformGuard guard;
    refuseSameFile(input, output);

    RandomSource& source = processRandomSource();
    seedContentKeystream(codes, source);
    const std::uint64_t total = input.size();
    if (yield) {
        yield(0, total);
    }
    std::vector<std::uint8_t> buffer(kStreamChunk);
    std::uint64_t done = 0;
    while (const std::size_t got = input.read(buffer.data(), buffer.size())) {
        detail::transformSeeded({buffer.data(), got}, source, yield, done, total);
        output.write(buffer.data(), got);
        done += got;
    }
    input.finish();
    output.finish();
    return static_cast<qint64>(done);
}

} // namespace kelvane
