// SPDX-License-Identifier: MIT
#include "engine/StandardDescriptors.h"

#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace kelvane::StandardDescriptors {

namespace {

bool g_closed[3] = {false, false, false};

} // namespace

void secure() noexcept {
    for (int fd = 0; fd < 3; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        g_closed[fd] = true;
        // The lower ones are open by now, so the new descriptor takes the number `fd`.
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

bool wasClosed(int fd) noexcept {
    return fd >= 0 && fd < 3 && g_closed[fd];
}

} // namespace kelvane::StandardDescriptors
