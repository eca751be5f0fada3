// SPDX-License-Identifier: MIT
#pragma once

#include "engine/OutputCalls.h"

#include <array>
#include <cerrno>

#include <fcntl.h>
#include <liburing.h>

namespace kelvane::test {

// The output calls; Sync is the flush of a whole file system (syncfs).
enum class OutputCall { Open, Write, Flush, Chmod, Close, Link, Rename, FolderFlush, Sync, Count };

// The counts and settings of the fault wrappers below.
struct OutputFaultsState {
    std::array<int, static_cast<std::size_t>(OutputCall::Count)> uses{}, nth{}, error{};
    bool noUnnamed = false, noDirect = false, noRing = false, cutDirect = false;
    int direct = 0;
};

// While it lives, the engine's output calls go through counting wrappers: the n-th use of a call
// can be made to fail with an error number. Without `unnamedFiles` the file system refuses
// unnamed temporary files, as NFS, vfat and many FUSE file systems do.
class OutputFaults {
public:
    explicit OutputFaults(bool unnamedFiles = true) {
        state = State{.noUnnamed = !unnamedFiles};
        detail::OutputCalls& calls = detail::outputCalls();
        calls.openat = [](int dirfd, const char* path, int flags, mode_t mode) {
            const bool refused = (flags & O_TMPFILE) == O_TMPFILE && state.noUnnamed;
            return refused                   ? (errno = EOPNOTSUPP, -1)
                   : fails(OutputCall::Open) ? -1
                                             : system().openat(dirfd, path, flags, mode);
        };
        calls.write = [](int fd, const void* data, size_t size) -> ssize_t {
            const bool direct = (::fcntl(fd, F_GETFL) & O_DIRECT) != 0;
            state.direct += direct;
            return fails(OutputCall::Write)   ? -1
                   : direct && state.noDirect ? (errno = EINVAL, -1)
                                              : system().write(fd, data, size);
        };
        calls.fdatasync = &wrapped<OutputCall::Flush, &detail::OutputCalls::fdatasync>;
        calls.fchmod = &wrapped<OutputCall::Chmod, &detail::OutputCalls::fchmod>;
        calls.close = [](int fd) {
            // A failing close still closes, as the system's does.
            const bool failing = fails(OutputCall::Close);
            const int error = errno, result = system().close(fd);
            return failing ? (errno = error, -1) : result;
        };
        calls.linkat = &wrapped<OutputCall::Link, &detail::OutputCalls::linkat>;
        calls.renameat2 = &wrapped<OutputCall::Rename, &detail::OutputCalls::renameat2>;
        calls.fsync = &wrapped<OutputCall::FolderFlush, &detail::OutputCalls::fsync>;
        calls.syncfs = &wrapped<OutputCall::Sync, &detail::OutputCalls::syncfs>;
        // Direct writes in flight are written when they are done: each one is a use of Write.
        calls.ringSetup = [](unsigned entries, io_uring* ring, unsigned flags) {
            return state.noRing ? -ENOSYS : system().ringSetup(entries, ring, flags);
        };
        calls.ringWait = [](io_uring* ring, io_uring_cqe** done) {
            const int result = system().ringWait(ring, done);
            if (result == 0) {
                ++state.direct;
                int& written = (*done)->res;
                written = fails(OutputCall::Write) ? -errno
                          : state.noDirect         ? -EINVAL
                          : state.cutDirect        ? written / 2
                                                   : written;
            }
            return result;
        };
    }
    ~OutputFaults() {
        detail::outputCalls() = detail::systemOutputCalls();
        state = State{};
    }
    OutputFaults(const OutputFaults&) = delete;
    OutputFaults& operator=(const OutputFaults&) = delete;

    // From now on the n-th use (1 first) of `call` fails with `error`, as do the uses set to fail
    // before; the counts of every call start again.
    void failAt(OutputCall call, int nth, int error) {
        state.uses.fill(0);
        state.nth[index(call)] = nth;
        state.error[index(call)] = error;
    }
    // Writes with O_DIRECT fail with EINVAL, as on a file system that takes no direct I/O.
    void refuseDirectWrites() { state.noDirect = true; }
    // No io_uring to be had, as in a sandbox that forbids it.
    void refuseRings() { state.noRing = true; }
    // Direct writes in flight report half of each chunk written.
    void cutDirectWrites() { state.cutDirect = true; }
    // Writes tried with O_DIRECT on, refused or not.
    int directWrites() const { return state.direct; }
    int uses(OutputCall call) const { return state.uses[index(call)]; }

private:
    using State = OutputFaultsState;
    static inline State state{};
    static std::size_t index(OutputCall call) { return static_cast<std::size_t>(call); }
    static const detail::OutputCalls& system() { return detail::systemOutputCalls(); }

    // True when this use of `call` is to fail; errno is then set.
    static bool fails(OutputCall call) {
        const std::size_t i = index(call);
        return ++state.uses[i] == state.nth[i] && (errno = state.error[i], true);
    }
    // The system's call `member`, failing when this use of `call` is to fail.
    template <OutputCall call, auto member, typename... Args> static int wrapped(Args... args) {
        return fails(call) ? -1 : (system().*member)(args...);
    }
};

} // namespace kelvane::test
