// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <sys/stat.h>

namespace kelvane {

// What a file that is not a regular one is, for messages: "a folder", "a pipe (FIFO)",
// "a socket" or "a device".
inline QString kindOfFile(mode_t mode) {
    if (S_ISDIR(mode)) {
        return QStringLiteral("a folder");
    }
    if (S_ISFIFO(mode)) {
        return QStringLiteral("a pipe (FIFO)");
    }
    if (S_ISSOCK(mode)) {
        return QStringLiteral("a socket");
    }
    return QStringLiteral("a device");
}

} // namespace kelvane
