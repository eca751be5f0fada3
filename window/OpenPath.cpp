// SPDX-License-Identifier: MIT
#include "window/OpenPath.h"

#include "engine/FileName.h"
#include "platform/MsgBox.h"
#include "window/DirListBox.h"
#include "window/DriveListBox.h"
#include "window/FileListBox.h"
#include "window/frmMain.h"

#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QTimer>

#include <sys/stat.h>

namespace kelvane {

namespace {

void refuse(const QString& prompt, const QString& path) {
    MsgBox(prompt.arg(shownName(QDir::toNativeSeparators(path))), vbInformation,
           QStringLiteral("Error"));
}

// Why the file `name`, which exists as `status` shows, is not in the file list.
QString notListed(const QString& name, const struct stat& status) {
    if (name.startsWith(u'.')) {
        return QStringLiteral("%1 is a hidden file. The file list does not show hidden files, so "
                              "it cannot be selected here.");
    }
    if (!S_ISREG(status.st_mode)) {
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
    if (path.isEmpty()) {
        return false;
    }
    // The name as its bytes: it need not be text.
    const QString absolute = absoluteFileName(path);
    const QByteArray bytes = encodeFileName(absolute);
    struct stat status {};
    if (::stat(bytes.constData(), &status) != 0) {
        struct stat link {};
        if (::lstat(bytes.constData(), &link) == 0 && S_ISLNK(link.st_mode)) {
            refuse(QStringLiteral("%1 is a link to a file that does not exist."), absolute);
        } else if (absolute.contains(QChar::ReplacementCharacter)) {
            // A name that came as text (a drop) with its bytes already replaced.
            refuse(QStringLiteral("The name of %1 cannot be shown in the file list, so it cannot "
                                  "be selected here."),
                   absolute);
        } else {
            refuse(QStringLiteral("%1 does not exist."), absolute);
        }
        return false;
    }
    const bool folder = S_ISDIR(status.st_mode);
    const qsizetype slash = absolute.lastIndexOf(u'/');
    const QString place = folder ? absolute : absolute.left(qMax<qsizetype>(slash, 1));
    const QString name = absolute.mid(slash + 1);
    if (!browseTo(window, place)) {
        refuse(QStringLiteral("The folder %1 cannot be opened."), place);
        return false;
    }
    if (folder) {
        return true;
    }
    FileListBox& files = *window.controls().File1;
    if (!files.setFileName(name)) {
        refuse(notListed(name, status), absolute);
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
