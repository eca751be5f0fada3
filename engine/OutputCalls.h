// SPDX-License-Identifier: MIT
#pragma once

#include <sys/types.h>

struct io_uring;
struct io_uring_cqe;

namespace kelvane::detail {

// The system calls through which the engine creates, writes and publishes its outputs. The
// program never changes them; tests replace single entries to make a call fail at its n-th use
// and check that every failure leaves the folder as it was.
struct OutputCalls {
    int (*openat)(int dirfd, const char* path, int flags, mode_t mode);
    ssize_t (*write)(int fd, const void* data, size_t size);
    int (*fdatasync)(int fd);
    int (*fchmod)(int fd, mode_t mode);
    int (*close)(int fd);
    int (*linkat)(int olddirfd, const char* oldpath, int newdirfd, const char* newpath, int flags);
    int (*renameat2)(int olddirfd, const char* oldpath, int newdirfd, const char* newpath,
                     unsigned flags);
    int (*unlinkat)(int dirfd, const char* path, int flags);
    int (*fsync)(int fd); // of the folder, once the new name is in it
    int (*syncfs)(int fd);
    // Direct writes in flight (liburing): sets up a ring, and waits for the next write done.
    int (*ringSetup)(unsigned entries, io_uring* ring, unsigned flags);
    int (*ringWait)(io_uring* ring, io_uring_cqe** done);
};

// The calls in use: the system's own unless a test has replaced some.
OutputCalls& outputCalls();

// The system's own calls, for tests that wrap them.
const OutputCalls& systemOutputCalls();

} // namespace kelvane::detail
