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
    QFrame* Picture1 = nullptr;
    ClickableLabel* lblAppName = nullptr;
    ClickableLabel* lblBy = nullptr;
    ClickableLabel* lblPleaseWait = nullptr;
    std::array<vFrame*, 3> vButton{};
    std::array<ClickableLabel*, 3> lblLockFile{};
    ClickableLabel* Label1 = nullptr;
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
    ClickableLabel* Label3 = nullptr;
    ClickableLabel* lblRemoveSelectedItem = nullptr;
    ClickableLabel* Label2 = nullptr;
    QListWidget* List1 = nullptr;
    ClickableLabel* Label4 = nullptr;
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
