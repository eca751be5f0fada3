// SPDX-License-Identifier: MIT
#include "window/KeyboardCommands.h"

#include "window/ClickableLabel.h"
#include "window/frmMain.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>

namespace kelvane {

KeyboardCommands::KeyboardCommands(frmMain& window) : QObject(&window) {
    const MainControls& c = window.controls();
    // A button that is held off ignores click(), as it ignores the mouse.
    connect(c.txtPassword, &QLineEdit::returnPressed, c.cmdApply, &QPushButton::click);
    connect(c.txtPassword1, &QLineEdit::returnPressed, c.cmdLockMultipleFiles, &QPushButton::click);

    auto* refresh = new QShortcut(QKeySequence(Qt::Key_F5), &window);
    connect(refresh, &QShortcut::activated, &window, &frmMain::lblRefresh_Click);

    auto* remove =
        new QShortcut(QKeySequence::Delete, c.List1, nullptr, nullptr, Qt::WidgetShortcut);
    ClickableLabel* removeLink = c.lblRemoveSelectedItem;
    connect(remove, &QShortcut::activated, removeLink, [removeLink] { emit removeLink->Click(); });
}

} // namespace kelvane
