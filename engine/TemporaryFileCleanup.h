// SPDX-License-Identifier: MIT
#pragma once

namespace kelvane::detail {

// Named temporary files that a signal must not leave behind. While at least one is registered,
// every signal whose default action ends the process (TERM, HUP, INT, QUIT, USR1, USR2, ALRM,
// PIPE where it is not ignored, the real-time signals, ...) first removes every registered file
// and then takes its previous course (by default, ending the process); one that the process
// ignores stays ignored. Unnamed temporary files need none of this: the system
// drops them with the process.
//
// The handler may only use async-signal-safe calls, so entries live in a fixed table and are
// named by a folder descriptor and a short name.
class TemporaryFileCleanup {
public:
    // Registers `name` (at most kMaxName bytes) in the folder open as `dirfd`. Returns a slot
    // to pass to unregisterFile, or -1 when the table is full (the file is then not removed by a
    // signal, but everything else works).
    static int registerFile(int dirfd, const char* name);
    static void unregisterFile(int slot);

    static constexpr int kMaxName = 63;
};

} // namespace kelvane::detail
