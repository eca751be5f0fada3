// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kelvane {

class frmMain;

// Opens a file or folder given from outside the window: on the command line ("Open with" in a
// file manager) or dropped on the window. The drive, folder and file lists move to the file's
// folder and the file is selected there with exactly the effect of a click on it in File1: the
// mode follows its name and both paths are shown. A folder is opened in the lists. A file the
// list does not show (hidden, a device, pipe or socket, a name it cannot display) or a path
// that is not there is explained in a message. Nothing happens while a run is in progress.
// Returns whether the file was selected or the folder opened.
bool openPath(frmMain& window, const QString& path);

// The same, once the event loop runs: for the file named at start-up.
void openPathWhenShown(frmMain& window, const QString& path);

} // namespace kelvane
