// SPDX-License-Identifier: MIT
#pragma once

#include "cli/Arguments.h"
#include "cli/ExitCode.h"

namespace kelvane::cli {

// bookmarks lock-all: the window's "Lock All the Bookmarked Files" on the same list, with the
// same plan of what to lock and what to skip, the same rule for outputs that exist (replaced
// only when agreed to, here with --force, and then only those that existed before the run) and
// the same report at the end.
class LockAll {
public:
    explicit LockAll(const Arguments& arguments) : m_arguments(arguments) {}

    // Returns Done only when every bookmark was locked, otherwise the highest code of the
    // entries skipped or failed. Throws CliError when the run cannot start: an empty or
    // unreadable list, outputs that exist without --force (nothing is written then), or a
    // password problem.
    ExitCode run() const;

private:
    const Arguments& m_arguments;
};

} // namespace kelvane::cli
