// SPDX-License-Identifier: MIT
#pragma once

#include <array>

class QFrame;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;
class QWidget;

namespace kelvane {

class ClickableLabel;
class DirListBox;
class DriveListBox;
class FileListBox;
class vFile;
class vFrame;
class vParser;
class vTools;

// Every control of the main window, by its design name. The window owns them all.
struct MainControls {
    QFrame* Picture1 = nullptr; // the dark header band with the name, the by-line and the progress
    ClickableLabel* lblAppName = nullptr;
    ClickableLabel* lblBy = nullptr;
    ClickableLabel* lblPleaseWait = nullptr;
    std::array<vFrame*, 3> vButton{};
    std::array<ClickableLabel*, 3> lblLockFile{};
    ClickableLabel* Label1 = nullptr; // the "Please Read" link, which shows the help text
    QGroupBox* frContainer = nullptr;
    QGroupBox* frSelector = nullptr;
    DriveListBox* Drive1 = nullptr;
    ClickableLabel* lblRefresh = nullptr;
    ClickableLabel* lblOpenFolder = nullptr;
    DirListBox* Dir1 = nullptr;
    FileListBox* File1 = nullptr;
    QPushButton* cmdAddToAutomated = nullptr;
    ClickableLabel* lblFileFrom_Caption = nullptr;
    ClickableLabel* lblFileFrom = nullptr;
    ClickableLabel* lblFileTo_Caption = nullptr;
    ClickableLabel* lblFileTo = nullptr;
    QPushButton* cmdChangeOutputFilename = nullptr;
    ClickableLabel* lblFilePassword_Caption = nullptr;
    QLineEdit* txtPassword = nullptr;
    QPushButton* cmdApply = nullptr;
    QGroupBox* frAutomated = nullptr;
    ClickableLabel* Label3 = nullptr; // the "Bookmarked Files" heading over the bookmark list
    ClickableLabel* lblRemoveSelectedItem = nullptr;
    ClickableLabel* Label2 = nullptr; // the "Remove All Items" link
    QListWidget* List1 = nullptr;     // the bookmark list, one "source=output" entry a line
    ClickableLabel* Label4 = nullptr; // the caption of the batch password box txtPassword1
    QLineEdit* txtPassword1 = nullptr;
    QPushButton* cmdLockMultipleFiles = nullptr;
    QListWidget* lstBookmarkedItem = nullptr;
    ClickableLabel* lblStempfilename = nullptr;
    QTimer* tmrPleaseWait = nullptr;
    vFile* vFile1 = nullptr;
    vParser* vParser1 = nullptr;
    vTools* vTools1 = nullptr;
};

// The controls of the output file name dialog.
struct FileNameControls {
    ClickableLabel* lblFileFrom_Caption = nullptr;
    QLineEdit* Text1 = nullptr;
    QPushButton* cmdOk = nullptr;
    QPushButton* cmdCancel = nullptr;
};

} // namespace kelvane
