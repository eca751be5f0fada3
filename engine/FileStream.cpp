// SPDX-License-Identifier: MIT
#include "engine/FileStream.h"

#include "engine/EngineError.h"
#include "engine/OutputCalls.h"
#include "engine/SourceFile.h"

#include <fcntl.h>
#include <liburing.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace kelvane::detail {

namespace {

// One chunk is read, transformed in place and written while the chunks before it are still on
// their way to the disk. A multiple of the disk's block size, so that whole chunks can go to the
// disk directly.
constexpr std::size_t kChunkSize = 1024 * 1024;
constexpr std::size_t kDirectAlignment = 4096;
// Direct writes in flight at once: enough to keep a fast disk busy while the next chunk is read
// and transformed; more only pushes the buffers out of the processor's cache.
constexpr unsigned kInFlight = 4;

// The windowed path hands each stretch to the disk as soon as it is written, and waits for the
// stretch kWindow bytes back before it drops that from the page cache: the disk always has up to
// a window of requests queued, the cache holds no more than that of the file, and the flush
// before the output is published finds at most one window left to write.
constexpr std::uint64_t kStretch = 8 * 1024 * 1024;
constexpr std::uint64_t kWindow = 4 * kStretch;

WritePath settingFromEnvironment() {
    const char* direct = std::getenv("KELVANE_DIRECT_IO");
    if (direct == nullptr || *direct == '\0') {
        return WritePath::Automatic;
    }
    return *direct == '0' ? WritePath::Windowed : WritePath::Direct;
}

// Whether the block device `device` (a partition's disk counts) says it has no rotating parts.
// The kernel's own flag: SSDs, NVMe, memory disks and loop devices on them say so; a virtual
// disk says what its host chose. A file system on no block device (tmpfs, NFS, FUSE, btrfs's
// subvolumes) is none.
bool solidState(dev_t device) {
    if (major(device) == 0) {
        return false;
    }
    const QByteArray base = "/sys/dev/block/" + QByteArray::number(major(device)) + ':' +
                            QByteArray::number(minor(device));
    for (const char* flag : {"/queue/rotational", "/../queue/rotational"}) {
        const int fd = ::open(base + flag, O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            continue;
        }
        char value = 0;
        const ssize_t got = ::read(fd, &value, 1);
        ::close(fd);
        return got == 1 && value == '0';
    }
    return false;
}

AlignedBuffer aligned(std::size_t size, const QString& path) {
    AlignedBuffer buffer(static_cast<std::uint8_t*>(std::aligned_alloc(kDirectAlignment, size)));
    if (!buffer) {
        throw EngineError::writing(path, QStringLiteral("out of memory"));
    }
    return buffer;
}

} // namespace

// The buffers of the direct writes in flight and their io_uring ring. liburing's ring, because
// it keeps several writes in flight from one thread without copies; the buffers are filled in
// turn, and one is given out again only once its write is done.
struct OutputWriter::Ring {
    io_uring ring{};
    std::array<AlignedBuffer, kInFlight> buffers;
    std::array<std::uint64_t, kInFlight> offsets{};
    std::array<std::size_t, kInFlight> sizes{};
    std::array<bool, kInFlight> busy{};
    unsigned inFlight = 0;
    unsigned next = 0; // the buffer filled next
    bool made = false; // ring set up

    Ring() = default;
    Ring(const Ring&) = delete;
    Ring& operator=(const Ring&) = delete;
    ~Ring() {
        if (!made) {
            return;
        }
        // After a failure: the kernel may still read the buffers of writes in flight.
        for (io_uring_cqe* done = nullptr; inFlight > 0 && io_uring_wait_cqe(&ring, &done) == 0;
             --inFlight) {
            io_uring_cqe_seen(&ring, done);
        }
        io_uring_queue_exit(&ring);
    }
};

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
    static WritePath path = settingFromEnvironment();
    return path;
}

WritePath pathFor(WritePath setting, int fd) {
    if (setting != WritePath::Automatic) {
        return setting;
    }
    struct stat status {};
    return ::fstat(fd, &status) == 0 && solidState(status.st_dev) ? WritePath::Direct
                                                                  : WritePath::Windowed;
}

OutputWriter::OutputWriter(AtomicOutput& output, WritePath path, std::uint64_t size)
    : m_output(output) {
    // Direct writes pay only for files of whole chunks.
    const bool large = size >= kChunkSize;
    if (large && pathFor(path, output.handle()) == WritePath::Direct) {
        setDirect(true);
    }
    if (m_direct) {
        auto ring = std::make_unique<Ring>();
        ring->made = outputCalls().ringSetup(kInFlight, &ring->ring, 0) == 0;
        if (ring->made) {
            m_ring = std::move(ring);
            return;
        }
        // No io_uring (an old kernel, or a sandbox that forbids it): one direct write at a time
        // when direct writes were asked for, otherwise the windowed path.
        if (path == WritePath::Automatic) {
            setDirect(false);
        }
    }
    m_bufferSize = static_cast<std::size_t>(
        std::min<std::uint64_t>(kChunkSize, (size / kDirectAlignment + 1) * kDirectAlignment));
}

OutputWriter::~OutputWriter() = default;

std::span<std::uint8_t> OutputWriter::buffer() {
    if (!m_ring) {
        // Made when first needed: a stream's writer never needs one.
        if (!m_buffer) {
            m_buffer = aligned(m_bufferSize, m_output.path());
        }
        return {m_buffer.get(), m_bufferSize};
    }
    while (m_ring->busy[m_ring->next]) {
        awaitOne();
    }
    // Made when first needed: a file of two chunks needs only two.
    auto& buffer = m_ring->buffers[m_ring->next];
    if (!buffer) {
        buffer = aligned(kChunkSize, m_output.path());
    }
    return {buffer.get(), kChunkSize};
}

void OutputWriter::write(const std::uint8_t* data, std::size_t size) {
    if (m_ring) {
        if (m_direct && size == kChunkSize && data == m_ring->buffers[m_ring->next].get()) {
            submit(size);
            return;
        }
        drain();
    }
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

void OutputWriter::finish() {
    drain();
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

void OutputWriter::submit(std::size_t size) {
    Ring& ring = *m_ring;
    const unsigned slot = ring.next;
    // Never empty: the ring has room for every buffer, and each buffer is in flight once at most.
    io_uring_sqe* request = io_uring_get_sqe(&ring.ring);
    io_uring_prep_write(request, m_output.handle(), ring.buffers[slot].get(),
                        static_cast<unsigned>(size), m_written);
    io_uring_sqe_set_data64(request, slot);
    const int submitted = io_uring_submit(&ring.ring);
    if (submitted != 1) {
        throw EngineError::writing(m_output.path(),
                                   EngineError::systemReason(submitted < 0 ? -submitted : EIO));
    }
    ring.offsets[slot] = m_written;
    ring.sizes[slot] = size;
    ring.busy[slot] = true;
    ++ring.inFlight;
    ring.next = (slot + 1) % kInFlight;
    m_written += size;
}

void OutputWriter::awaitOne() {
    Ring& ring = *m_ring;
    io_uring_cqe* done = nullptr;
    int waited = 0;
    while ((waited = outputCalls().ringWait(&ring.ring, &done)) == -EINTR) {
    }
    if (waited < 0) {
        throw EngineError::writing(m_output.path(), EngineError::systemReason(-waited));
    }
    const auto slot = static_cast<unsigned>(io_uring_cqe_get_data64(done));
    const int result = done->res;
    io_uring_cqe_seen(&ring.ring, done);
    ring.busy[slot] = false;
    --ring.inFlight;
    if (result >= 0 && static_cast<std::size_t>(result) == ring.sizes[slot]) {
        return;
    }
    if (result < 0 && result != -EINVAL) {
        throw EngineError::writing(m_output.path(), EngineError::systemReason(-result));
    }
    // Refused for direct I/O (a file system that takes the flag but not the write), or cut
    // short: the rest goes through the cache, and so does every chunk after it.
    setDirect(false);
    const std::size_t wrote = result > 0 ? static_cast<std::size_t>(result) : 0;
    seekTo(ring.offsets[slot] + wrote);
    m_output.write(ring.buffers[slot].get() + wrote, ring.sizes[slot] - wrote);
}

// Waits for every write in flight; what follows is written at the end of the file again.
void OutputWriter::drain() {
    if (!m_ring) {
        return;
    }
    while (m_ring->inFlight > 0) {
        awaitOne();
    }
    seekTo(m_written);
}

void OutputWriter::seekTo(std::uint64_t offset) {
    if (::lseek(m_output.handle(), static_cast<off_t>(offset), SEEK_SET) < 0) {
        throw EngineError::writing(m_output.path(), EngineError::systemReason(errno));
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
    OutputWriter writer(*output, writePath(), input.size());
    std::uint64_t written = 0;
    for (;;) {
        const std::span<std::uint8_t> buffer = writer.buffer();
        const std::size_t got = input.read(buffer.data(), buffer.size());
        if (got == 0) {
            break;
        }
        if (step) {
            step(buffer.first(got), written);
        }
        writer.write(buffer.data(), got);
        written += got;
    }
    input.checkUnchanged();
    writer.finish();
    if (group != nullptr) {
        group->add(std::move(output), written, std::move(done));
    } else {
        output->commit();
    }
    return static_cast<qint64>(written);
}

} // namespace kelvane::detail
