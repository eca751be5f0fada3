// SPDX-License-Identifier: MIT
#include "window/Modes.h"

#include "controls/vFrame.h"
#include "window/ClickableLabel.h"
#include "window/frmMain.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace kelvane {

Modes& Modes::forWindow(frmMain& window) {
    if (auto* existing = window.findChild<Modes*>(QString(), Qt::FindDirectChildrenOnly)) {
        return *existing;
    }
    return *new Modes(window);
}

Modes::Modes(frmMain& window) : QObject(&window), m_window(window) {
    const MainControls& c = window.controls();
    for (int index = 0; index < 3; ++index) {
        connect(c.lblLockFile[index], &ClickableLabel::Click, this,
                [this, index] { lblLockFile_Click(index); });
        connect(c.vButton[index], &vFrame::ExpandCollapse, this,
                [this, index] { vButton_ExpandCollapse(index); });
    }
}

void Modes::setUpdateOutputFilename(std::function<void()> update) {
    m_updateOutputFilename = std::move(update);
}

void Modes::vButton_ExpandCollapse(int Index) {
    lblLockFile_Click(Index);
}

void Modes::lblLockFile_Click(int Index) {
    switch (Index) {
    case 0:
        lockFile();
        break;
    case 1:
        unlockFile();
        break;
    case 2:
        bookmarkedFiles();
        break;
    default:
        return;
    }
    if (m_updateOutputFilename) {
        m_updateOutputFilename();
    }
}

void Modes::lockFile() {
    const MainControls& c = m_window.controls();
    c.vButton[0]->setCollapsed(false);
    c.vButton[1]->setCollapsed(true);
    c.vButton[2]->setCollapsed(true);
    c.lblFileFrom_Caption->setText(QStringLiteral("File to Lock"));
    c.cmdApply->setText(QStringLiteral("Lock File"));
    c.lblFileTo_Caption->setText(QStringLiteral("New File (Locked) will Be Saved as:"));
    c.frContainer->setVisible(true);
    c.frAutomated->setVisible(false);
    c.cmdAddToAutomated->setVisible(true);
    c.txtPassword->setText(c.txtPassword1->text());
    c.lblFilePassword_Caption->setText(QStringLiteral("Lock File with the Following Password:"));
}

void Modes::unlockFile() {
    const MainControls& c = m_window.controls();
    c.vButton[0]->setCollapsed(true);
    c.vButton[1]->setCollapsed(false);
    c.vButton[2]->setCollapsed(true);
    c.lblFileFrom_Caption->setText(QStringLiteral("File to Unlock"));
    c.lblFileTo_Caption->setText(QStringLiteral("New File (Unlocked) will Be Saved as:"));
    c.cmdApply->setText(QStringLiteral("Unlock File"));
    c.frContainer->setVisible(true);
    c.frAutomated->setVisible(false);
    c.cmdAddToAutomated->setVisible(false);
    c.txtPassword->setText(c.txtPassword1->text());
    c.lblFilePassword_Caption->setText(QStringLiteral("Password to Unlock the File:"));
}

void Modes::bookmarkedFiles() {
    const MainControls& c = m_window.controls();
    c.vButton[0]->setCollapsed(true);
    c.vButton[1]->setCollapsed(true);
    c.vButton[2]->setCollapsed(false);
    c.frAutomated->setVisible(true);
    c.frContainer->setVisible(false);
    c.txtPassword1->setText(c.txtPassword->text());
}

} // namespace kelvane
