// SPDX-License-Identifier: MIT
#include "engine/FileStream.h"

#include "engine/EngineError.h"
#include "engine/SourceFile.h"

#include <fcntl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace kelvane::detail {

namespace {

// One chunk is read, transformed in place and written before the next is read. A multiple of the
// disk's block size, so that whole chunks can go to the disk directly.
constexpr std::size_t kChunkSize = 1024 * 1024;
constexpr std::size_t kDirectAlignment = 4096;

// The windowed path hands each stretch to the disk as soon as it is written, and waits for the
// stretch kWindow bytes back before it drops that from the page cache: the disk always has up to
// a window of requests queued, the cache holds no more than that of the file, and the flush
// before the output is published finds at most one window left to write.
constexpr std::uint64_t kStretch = 8 * 1024 * 1024;
constexpr std::uint64_t kWindow = 4 * kStretch;

WritePath chosenWritePath() {
    const char* direct = std::getenv("KELVANE_DIRECT_IO");
    return direct && *direct && *direct != '0' ? WritePath::Direct : WritePath::Windowed;
}

struct AlignedFree {
    void operator()(std::uint8_t* p) const { std::free(p); }
};

using Buffer = std::unique_ptr<std::uint8_t, AlignedFree>;

// Room for one chunk, or the whole of a smaller file, in whole blocks.
std::pair<Buffer, std::size_t> bufferFor(const SourceFile& input) {
    const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(
        kChunkSize, (input.size() / kDirectAlignment + 1) * kDirectAlignment));
    Buffer buffer(static_cast<std::uint8_t*>(std::aligned_alloc(kDirectAlignment, size)));
    if (!buffer) {
        throw EngineError::reading(input.path(), QStringLiteral("out of memory"));
    }
    return {std::move(buffer), size};
}

} // namespace

QByteArray readAll(const QString& path) {
    SourceFile file(path);
    QByteArray content(static_cast<qsizetype>(file.size()), Qt::Uninitialized);
    auto* data = reinterpret_cast<std::uint8_t*>(content.data());
    std::size_t done = 0;
    while (const std::size_t got = file.read(data + done, content.size() - done)) {
        done += got;
    }
    // One more read, to see the end where the size says it is.
    std::uint8_t beyond = 0;
    file.read(&beyond, 1);
    file.checkUnchanged();
    return content;
}

WritePath& writePath() {
    static WritePath path = chosenWritePath();
    return path;
}

OutputWriter::OutputWriter(AtomicOutput& output, WritePath path) : m_output(output) {
    if (path == WritePath::Direct) {
        setDirect(true);
    }
}

void OutputWriter::write(const std::uint8_t* data, std::size_t size) {
    if (m_direct && (size % kDirectAlignment != 0 ||
                     reinterpret_cast<std::uintptr_t>(data) % kDirectAlignment != 0)) {
        setDirect(false);
    }
    m_output.write(data, size);
    m_written += size;
    if (m_direct) {
        // The output may have gone back to the cache on its own (a file system that refuses
        // direct writes).
        const int flags = ::fcntl(m_output.handle(), F_GETFL);
        m_direct = flags != -1 && (flags & O_DIRECT) != 0;
    }
    if (!m_direct) {
        slideWindow();
    }
}

void OutputWriter::setDirect(bool on) {
    const int fd = m_output.handle();
    const int flags = ::fcntl(fd, F_GETFL);
    m_direct =
        flags != -1 && ::fcntl(fd, F_SETFL, on ? flags | O_DIRECT : flags & ~O_DIRECT) == 0 && on;
}

// Errors here are not lost: a stretch that fails to reach the disk fails the flush in commit(),
// which publishes nothing.
void OutputWriter::slideWindow() {
    const int fd = m_output.handle();
    while (m_written - m_handedOver >= kStretch) {
        ::sync_file_range(fd, static_cast<off64_t>(m_handedOver), static_cast<off64_t>(kStretch),
                          SYNC_FILE_RANGE_WRITE);
        m_handedOver += kStretch;
    }
    while (m_handedOver - m_dropped > kWindow) {
        ::sync_file_range(fd, static_cast<off64_t>(m_dropped), static_cast<off64_t>(kStretch),
                          SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE |
                              SYNC_FILE_RANGE_WAIT_AFTER);
        ::posix_fadvise(fd, static_cast<off_t>(m_dropped), static_cast<off_t>(kStretch),
                        POSIX_FADV_DONTNEED);
        m_dropped += kStretch;
    }
}

qint64 streamFile(const QString& inputPath, const QString& outputPath, Replace replace,
                  const std::function<void(std::uint64_t size)>& start, const ChunkStep& step,
                  OutputGroup* group, OutputGroup::Done done) {
    SourceFile input(inputPath);
    auto output = std::make_unique<AtomicOutput>(outputPath, replace, input.permissions());
    if (start) {
        start(input.size());
    }
    const auto [buffer, bufferSize] = bufferFor(input);
    OutputWriter writer(*output, writePath());
    std::uint64_t written = 0;
    while (const std::size_t got = input.read(buffer.get(), bufferSize)) {
        if (step) {
            step({buffer.get(), got}, written);
        }
        writer.write(buffer.get(), got);
        written += got;
    }
    input.checkUnchanged();
    if (group != nullptr) {
        group->add(std::move(output), written, std::move(done));
    } else {
        output->commit();
    }
    return static_cast<qint64>(written);
}

} // namespace kelvane::detail
