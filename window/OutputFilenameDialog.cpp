// SPDX-License-Identifier: MIT
#include "window/OutputFilenameDialog.h"

#include "core/OutputName.h"
#include "platform/MsgBox.h"
#include "window/ClickableLabel.h"
#include "window/frmFileName.h"
#include "window/frmMain.h"

#include <QLineEdit>
#include <QPushButton>

namespace kelvane {

// The name is the part of lblFileTo after its last folder separator, and the new name takes its
// place there, so the folder part is kept whatever folder the browser shows meanwhile.
void cmdChangeOutputFilename_Click(frmMain& window) {
    const MainControls& c = window.controls();
    const QString target = c.lblFileTo->text();
    if (target.isEmpty()) {
        return;
    }
    const qsizetype nameStart = fileNameStart(target);
    c.lblStempfilename->clear();

    frmFileName dialog(&window);
    const FileNameDialogCommands commands(dialog, *c.lblStempfilename);
    dialog.controls().Text1->setText(target.mid(nameStart));
    dialog.exec();

    const QString accepted = c.lblStempfilename->text();
    if (!accepted.isEmpty()) {
        c.lblFileTo->setText(target.left(nameStart) + accepted);
    }
}

FileNameDialogCommands::FileNameDialogCommands(frmFileName& dialog, ClickableLabel& result)
    : QObject(&dialog), m_dialog(dialog), m_result(result) {
    const FileNameControls& c = dialog.controls();
    connect(c.cmdOk, &QPushButton::clicked, this, &FileNameDialogCommands::cmdOk_Click);
    connect(c.cmdCancel, &QPushButton::clicked, this, &FileNameDialogCommands::cmdCancel_Click);
}

bool FileNameDialogCommands::isValidName(const QString& name) {
    return !name.isEmpty() && name.contains(u'.') && !name.contains(u' ');
}

void FileNameDialogCommands::cmdOk_Click() {
    const QString name = m_dialog.controls().Text1->text();
    if (!isValidName(name)) {
        MsgBox(QStringLiteral("Please enter a valid filename (must include an extension, no "
                              "spaces and no rare characters."),
               vbInformation, QStringLiteral("Missing Info"));
        return;
    }
    m_result.setText(name);
    m_dialog.accept();
}

void FileNameDialogCommands::cmdCancel_Click() {
    m_dialog.reject();
}

} // namespace kelvane
