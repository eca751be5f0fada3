// SPDX-License-Identifier: MIT
#pragma once

namespace kelvane {

class frmMain;

// What a screen reader says about the main window: every input is named by its caption (the
// password box by the caption above it, which changes with the mode), the mode buttons are
// page tabs named by their captions and report which one is selected, and the links are links
// that can be pressed.
void describeForScreenReaders(frmMain& window);

// Makes the mode buttons and labels describe themselves as above. It must come before the first
// control is built: a label that is given its text asks for its description at once, and keeps
// the one it gets.
void installScreenReaderInterfaces();

} // namespace kelvane
