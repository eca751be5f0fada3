// SPDX-License-Identifier: MIT
#include "cli/BookmarkListPath.h"

#include <QCoreApplication>

namespace kelvane::cli {

BookmarkListLocation bookmarkListLocation() {
    return BookmarkListLocation::forProgramIn(QCoreApplication::applicationDirPath());
}

} // namespace kelvane::cli
