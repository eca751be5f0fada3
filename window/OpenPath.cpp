// SPDX-License-Identifier: MIT
#include "window/OpenPath.h"

#include "platform/MsgBox.h"
#include "window/DirListBox.h"
#include "window/DriveListBox.h"
#include "window/FileListBox.h"
#include "window/LongOperation.h"
#include "window/frmMain.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QTimer>

namespace kelvane {

namespace {

void refuse(const QString& prompt, const QString& path) {
    MsgBox(prompt.arg(QDir::toNativeSeparators(path)), vbInformation, QStringLiteral("Error"));
}

// Why `info`, which exists, is not in the file list.
QString notListed(const QFileInfo& info) {
    if (info.isHidden()) {
        return QStringLiteral("%1 is a hidden file. The file list does not show hidden files, so "
                              "it cannot be selected here.");
    }
    if (!info.isFile()) {
        return QStringLiteral("%1 is not a regular file (it is a device, pipe or socket), so it "
                              "cannot be locked or unlocked.");
    }
    return QStringLiteral("The name of %1 cannot be shown in the file list, so it cannot be "
                          "selected here.");
}

// Moves the drive list, then the folder list, to `folder`; the file list follows them and is
// read afresh, so that a file made a moment ago is listed.
bool browseTo(frmMain& window, const QString& folder) {
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isReadable()) {
        return false;
    }
    const MainControls& c = window.controls();
    c.Drive1->setDrive(folder);
    if (!c.Dir1->setPath(folder)) {
        return false;
    }
    return c.File1->setPath(c.Dir1->Path());
}

} // namespace

bool openPath(frmMain& window, const QString& path) {
    if (LongOperation::running() || path.isEmpty()) {
        return false;
    }
    const QFileInfo info(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (!info.exists()) {
        if (info.isSymLink()) {
            refuse(QStringLiteral("%1 is a link to a file that does not exist."),
                   info.absoluteFilePath());
        } else if (path.contains(QChar::ReplacementCharacter)) {
            refuse(QStringLiteral("The name of %1 cannot be shown in the file list, so it cannot "
                                  "be selected here."),
                   info.absoluteFilePath());
        } else {
            refuse(QStringLiteral("%1 does not exist."), info.absoluteFilePath());
        }
        return false;
    }
    const bool folder = info.isDir();
    const QString place = folder ? info.absoluteFilePath() : info.absolutePath();
    if (!browseTo(window, place)) {
        refuse(QStringLiteral("The folder %1 cannot be opened."), place);
        return false;
    }
    if (folder) {
        return true;
    }
    FileListBox& files = *window.controls().File1;
    if (!files.setFileName(info.fileName())) {
        refuse(notListed(info), info.absoluteFilePath());
        return false;
    }
    // What a click on the name does: the list takes the focus and raises Click.
    files.setFocus(Qt::MouseFocusReason);
    emit files.Click();
    // The password is what the user types next: into the box of the mode the file selected.
    const MainControls& c = window.controls();
    QLineEdit* password = c.frAutomated->isVisibleTo(&window) ? c.txtPassword1 : c.txtPassword;
    if (password->isEnabled() && password->isVisibleTo(&window)) {
        password->setFocus(Qt::OtherFocusReason);
    }
    return true;
}

void openPathWhenShown(frmMain& window, const QString& path) {
    QTimer::singleShot(0, &window, [&window, path] { openPath(window, path); });
}

} // namespace kelvane
