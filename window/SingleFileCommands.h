// SPDX-License-Identifier: MIT
#pragma once

namespace kelvane {

class frmMain;

// Connects the single-file commands (file click, mode switch, apply, output name dialog) to the
// window's controls.
void attachSingleFileCommands(frmMain& window);

} // namespace kelvane
