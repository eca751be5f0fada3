// SPDX-License-Identifier: MIT
#pragma once

namespace kelvane::StandardDescriptors {

// Makes sure that descriptors 0, 1 and 2 are open, before anything else opens a file: one that
// the process was started without is opened on /dev/null, so that no file opened later takes
// its number and is read or written as standard input, output or error. Call first in main().
void secure() noexcept;

// True when `fd` (0, 1 or 2) was closed when secure() ran: it now leads to /dev/null, and what
// needs that stream has to be refused.
bool wasClosed(int fd) noexcept;

} // namespace kelvane::StandardDescriptors
