// SPDX-License-Identifier: MIT
#pragma once

#include "window/MainControls.h"

#include <QMargins>
#include <QRect>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QWindow;

namespace kelvane {

class BookmarkListFile;
class FormScroller;
class RunProgress;

// The main window. Its controls are public through controls(); the command sets of the program
// connect to their signals and use the window's operations below.
class frmMain : public QWidget {
    Q_OBJECT

public:
    static const QString kProductName; // "Kelvane"
    static const QString kVersion;     // the project's version, "1.2"
    static const QString kByLine;      // "by " and the maker's web address
    static const QString kHelpText;    // the text "Please Read" shows

    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    MainControls& controls() { return m_controls; }
    const MainControls& controls() const { return m_controls; }
    // How far a long run has come (the title and the bar on the header band).
    RunProgress& progress() const { return *m_progress; }
    // The scroll bars of a window smaller than its form.
    FormScroller& scroller() const { return *m_scroller; }

    // Makes the window no larger than `available` (a screen's free area) less `frame` (the room
    // the desktop's window frame takes), and places it inside that area; a window that fits
    // stays as it is. Where the form is larger than the window, scroll bars reach the rest.
    void openWithin(const QRect& available, const QMargins& frame = kFrameAllowance);
    // The room a window frame takes on most desktops: borders and a title bar.
    static constexpr QMargins kFrameAllowance{8, 40, 8, 8};

    // Start-up, run once before the window is first shown: stacks the bookmark frame on the
    // single-file frame, sets the by-line, shows the third mode button, sets the title and the
    // header, loads the bookmark list and marks Lock File as the current mode.
    void Form_Load();
    // Fits frContainer to the window's outer size (less 500 twips wide, 3500 high; never below 0).
    // A window smaller than the form scrolls over the form at its full size.
    void Form_Resize();
    // Both re-read the drive, folder and file lists.
    void Form_Activate();
    void Form_GotFocus();

    // Enables or disables the single-file inputs: cmdApply, cmdChangeOutputFilename, txtPassword,
    // File1, Dir1, Drive1, in this order.
    void EnableInputs(bool enabled);
    // Before a long operation: disables the inputs, lets waiting events run, starts the
    // "Please Wait..." blinking, lets waiting events run again.
    void PleaseWaitStart();
    // After it: stops the blinking and hides "Please Wait...". The inputs are the caller's.
    void PleaseWaitStop();
    void tmrPleaseWait_Timer();

    // Folder browser.
    void Drive1_Change();
    void Dir1_Change();
    // Refresh (and F5): re-reads the drive, folder and file lists and the bookmark list.
    void lblRefresh_Click();
    // Re-reads the drive, folder and file lists, after a command changed files or when the
    // window becomes the active one.
    void refreshBrowser();
    // Tells the user when no file manager could be started.
    void lblOpenFolder_Click();

    // "Please Read".
    void Label1_Click();

    // The bookmark list file (see BookmarkListFile).
    BookmarkListFile& bookmarks() { return *m_bookmarks; }
    QString BookmarkListPath() const;
    bool SaveBookmarks();
    void LoadBookmarks();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void bindControls();
    void connectEvents();
    void focusWindowChanged(QWindow* window);

    MainControls m_controls;
    std::unique_ptr<vFile> m_vFile;
    std::unique_ptr<vParser> m_vParser;
    std::unique_ptr<vTools> m_vTools;
    std::unique_ptr<BookmarkListFile> m_bookmarks;
    RunProgress* m_progress = nullptr;
    FormScroller* m_scroller = nullptr;
    bool m_activatedOnce = false;
    bool m_focusCameFromForm = false;
};

} // namespace kelvane
