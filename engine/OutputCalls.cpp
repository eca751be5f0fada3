// SPDX-License-Identifier: MIT
#include "engine/OutputCalls.h"

#include <cstdio>

#include <fcntl.h>
#include <liburing.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvane::detail {

namespace {

const OutputCalls kSystem = {
    [](int dirfd, const char* path, int flags, mode_t mode) {
        return ::openat(dirfd, path, flags, mode);
    },
    ::write,
    ::fdatasync,
    ::fchmod,
    ::close,
    ::linkat,
    ::renameat2,
    ::unlinkat,
    ::fsync,
    ::syncfs,
    ::io_uring_queue_init,
    [](io_uring* ring, io_uring_cqe** done) { return ::io_uring_wait_cqe(ring, done); },
};

} // namespace

OutputCalls& outputCalls() {
    static OutputCalls calls = kSystem;
    return calls;
}

const OutputCalls& systemOutputCalls() {
    return kSystem;
}

} // namespace kelvane::detail
