// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kelvane {

// What a path leads to when it names an open descriptor rather than a file: /dev/stdout,
// /dev/stderr, /dev/fd/N, /proc/self/fd/N, /proc/PID/fd/N, or a link to one of them. Such a
// name is a window onto a stream that is already open; it is written through its descriptor or
// not at all, and never replaced by a new file.
struct DescriptorPath {
    enum class Owner {
        None,  // an ordinary path (or one that does not exist)
        Own,   // a descriptor of this process: `fd`
        Other, // a descriptor of another process, or a name there that is no descriptor
    };
    Owner owner = Owner::None;
    int fd = -1;

    // Follows the links of `path` (at most 40) to see whether it ends in a descriptor folder.
    static DescriptorPath of(const QString& path);

    bool isDescriptor() const { return owner != Owner::None; }
};

} // namespace kelvane
