// SPDX-License-Identifier: MIT
#include "engine/OutputCalls.h"

#include <cstdio>

#include <fcntl.h>
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
