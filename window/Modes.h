// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <functional>

namespace kelvane {

class frmMain;

// The mode switch of the main window: Lock File (0), Unlock File (1) and Bookmarked Files (2),
// chosen with the frame buttons vButton(0..2) or their caption labels lblLockFile(0..2). The
// current mode is the button whose Collapsed is false; readers look at vButton(0) alone.
//
// One Modes object belongs to each window; forWindow() makes it on first use and connects the
// buttons and labels.
class Modes : public QObject {
    Q_OBJECT

public:
    static Modes& forWindow(frmMain& window);

    // Switches to mode `Index`: collapses the other buttons, sets the captions, shows the mode's
    // frame, carries the password over between the two password boxes, and ends in every mode by
    // recomputing the source and output paths. Does nothing while a long run is in progress.
    void lblLockFile_Click(int Index);
    // A frame button worked by the user: the same as a click on its caption label.
    void vButton_ExpandCollapse(int Index);

    // The last step of every switch, which derives the source and output paths. The single-file
    // commands install it; until then the switch ends without it.
    void setUpdateOutputFilename(std::function<void()> update);

private:
    explicit Modes(frmMain& window);

    void lockFile();
    void unlockFile();
    void bookmarkedFiles();

    frmMain& m_window;
    std::function<void()> m_updateOutputFilename;
};

} // namespace kelvane
