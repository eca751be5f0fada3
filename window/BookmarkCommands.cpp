// SPDX-License-Identifier: MIT
#include "window/BookmarkCommands.h"

#include "window/BatchLock.h"
#include "window/BookmarkEditCommands.h"
#include "window/frmMain.h"

namespace kelvane {

void attachBookmarkCommands(frmMain& window) {
    // Both are owned by the window.
    new BookmarkEditCommands(window);
    new BatchLock(window);
}

} // namespace kelvane
