// SPDX-License-Identifier: MIT
#pragma once

namespace kelvane {

class frmMain;

// Connects the program's command sets to the main window's controls. A command set is a QObject
// owned by the window that gets the window (its controls and operations) and connects its
// handlers to the controls' signals in its constructor.
void attachCommandSets(frmMain& window);

} // namespace kelvane
