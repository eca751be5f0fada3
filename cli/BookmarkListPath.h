// SPDX-License-Identifier: MIT
#pragma once

#include "core/BookmarkListLocation.h"

namespace kelvane::cli {

// Where the window of this installation keeps its bookmark list (beside the program for a
// portable copy, else in the user's data folder): the two programs sit in one folder, so the
// command line's own folder decides the same way.
BookmarkListLocation bookmarkListLocation();

} // namespace kelvane::cli
