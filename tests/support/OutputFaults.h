// SPDX-License-Identifier: MIT
#pragma once

#include "engine/OutputCalls.h"

#include <array>
#include <cerrno>

#include <fcntl.h>

namespace kelvane::test {

enum class OutputCall {
    Open,
    Write,
    Flush,
    Chmod,
    Close,
    Link,
    Rename,
    FolderFlush,
    FlushAll,
    Count
};

// While it lives, the engine's output calls go through counting wrappers: the n-th use of one
// call can be made to fail with an error number. Without `unnamedFiles` the file system refuses
// unnamed temporary files, as NFS, vfat and many FUSE file systems do.
class OutputFaults {
public:
    explicit OutputFaults(bool unnamedFiles = true) {
        state() = State{};
        state().noUnnamed = !unnamedFiles;
        detail::OutputCalls& calls = detail::outputCalls();
        calls.openat = [](int dirfd, const char* path, int flags, mode_t mode) {
            if ((flags & O_TMPFILE) == O_TMPFILE && state().noUnnamed) {
                errno = EOPNOTSUPP;
                return -1;
            }
            return fails(OutputCall::Open) ? -1 : system().openat(dirfd, path, flags, mode);
        };
        calls.write = [](int fd, const void* data, size_t size) -> ssize_t {
            if (fails(OutputCall::Write)) {
                return -1;
            }
            State& s = state();
            const bool direct = (::fcntl(fd, F_GETFL) & O_DIRECT) != 0;
            s.direct += direct;
            const ssize_t wrote =
                direct && s.noDirect ? (errno = EINVAL, -1) : system().write(fd, data, size);
            s.refused += wrote < 0 && errno == EINVAL;
            return wrote;
        };
        calls.fdatasync = &wrapped<OutputCall::Flush, &detail::OutputCalls::fdatasync>;
        calls.fchmod = &wrapped<OutputCall::Chmod, &detail::OutputCalls::fchmod>;
        calls.close = [](int fd) {
            // A failing close still closes, as the system's does.
            const bool failing = fails(OutputCall::Close);
            const int result = system().close(fd);
            return failing ? (errno = state().error, -1) : result;
        };
        calls.linkat = &wrapped<OutputCall::Link, &detail::OutputCalls::linkat>;
        calls.renameat2 = &wrapped<OutputCall::Rename, &detail::OutputCalls::renameat2>;
        calls.fsync = &wrapped<OutputCall::FolderFlush, &detail::OutputCalls::fsync>;
        calls.syncfs = [](int fd) {
            if (state().noFlushAll) {
                errno = EIO;
                return -1;
            }
            return fails(OutputCall::FlushAll) ? -1 : system().syncfs(fd);
        };
    }
    ~OutputFaults() {
        detail::outputCalls() = detail::systemOutputCalls();
        state() = State{};
    }
    OutputFaults(const OutputFaults&) = delete;
    OutputFaults& operator=(const OutputFaults&) = delete;

    // From now on the n-th use (1 first) of `call` fails with `error`; the counts start again.
    void failAt(OutputCall call, int nth, int error) {
        State& s = state();
        s.uses.fill(0);
        s.failing = call;
        s.nth = nth;
        s.error = error;
    }
    // Writes with O_DIRECT fail with EINVAL, as on a file system that takes no direct I/O.
    void refuseDirectWrites() { state().noDirect = true; }
    // Every flush of a whole file system fails with EIO.
    void failFileSystemFlushes() { state().noFlushAll = true; }
    // Writes made with O_DIRECT on, and writes the system (or refuseDirectWrites) refused with
    // EINVAL.
    int directWrites() const { return state().direct; }
    int refusedWrites() const { return state().refused; }
    int uses(OutputCall call) const { return state().uses[static_cast<std::size_t>(call)]; }

private:
    struct State {
        std::array<int, static_cast<std::size_t>(OutputCall::Count)> uses{};
        OutputCall failing = OutputCall::Count;
        int nth = 0, error = 0;
        bool noUnnamed = false, noDirect = false, noFlushAll = false;
        int direct = 0, refused = 0;
    };
    static State& state() {
        static State s;
        return s;
    }
    static const detail::OutputCalls& system() { return detail::systemOutputCalls(); }

    // True when this use of `call` is to fail; errno is then set.
    static bool fails(OutputCall call) {
        State& s = state();
        if (++s.uses[static_cast<std::size_t>(call)] == s.nth && s.failing == call) {
            errno = s.error;
            return true;
        }
        return false;
    }
    // The system's call `member`, failing when this use of `call` is to fail.
    template <OutputCall call, auto member, typename... Args> static int wrapped(Args... args) {
        return fails(call) ? -1 : (system().*member)(args...);
    }
};

} // namespace kelvane::test
