// SPDX-License-Identifier: MIT
#pragma once

namespace kelvane {

class frmMain;

// A click on a file in File1: a name that contains "_locked" (case matters) switches the window
// to Unlock File, any other name to Lock File. The mode switch ends by deriving both paths.
void File1_Click(frmMain& window);

// Shows the selected file's path in lblFileFrom and the path of the file it becomes in
// lblFileTo: the lock rule in Lock File mode, the unlock rule in the other two modes. With no
// file selected lblFileTo is emptied and lblFileFrom keeps its text.
void UpdateOutputFilename(frmMain& window);

} // namespace kelvane
