// SPDX-License-Identifier: MIT
#pragma once

namespace kelvane {

class frmMain;

// What a screen reader says about the main window: every input is named by its caption (the
// password box by the caption above it, which changes with the mode), the mode buttons are
// page tabs named by their captions and report which one is selected, and the links are links
// that can be pressed.
void describeForScreenReaders(frmMain& window);

} // namespace kelvane
