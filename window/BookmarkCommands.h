// SPDX-License-Identifier: MIT
#pragma once

namespace kelvane {

class frmMain;

// Connects the bookmark commands (add, remove selected, remove all, lock all) to the window's
// controls.
void attachBookmarkCommands(frmMain& window);

} // namespace kelvane
