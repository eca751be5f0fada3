// SPDX-License-Identifier: MIT
#include "app/CommandSets.h"

#include "window/BookmarkCommands.h"
#include "window/SingleFileCommands.h"
#include "window/frmMain.h"

namespace kelvane {

void attachCommandSets(frmMain& window) {
    // The window's own events (start-up, folder browser, help, the please-wait indicator) are
    // connected by the window itself.
    attachSingleFileCommands(window);
    attachBookmarkCommands(window);
}

} // namespace kelvane
