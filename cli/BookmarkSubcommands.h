// SPDX-License-Identifier: MIT
#pragma once

#include "cli/Arguments.h"
#include "cli/ExitCode.h"

namespace kelvane::cli {

// bookmarks list, add, remove and clear: the window's bookmark commands, with its refusals, on
// the list file the window reads. Each change is saved at once.
class BookmarkCommands {
public:
    explicit BookmarkCommands(const Arguments& arguments) : m_arguments(arguments) {}

    // Throws CliError: Refused for what the window refuses, ReadWriteFailure when the list
    // cannot be read or saved.
    ExitCode run() const;

private:
    void list() const;
    void add() const;
    void remove() const;
    void clear() const;

    const Arguments& m_arguments;
};

} // namespace kelvane::cli
