// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

namespace kelvane {

class ClickableLabel;
class frmFileName;
class frmMain;

// The "Change Output Filename" button: lets the user replace the name part of lblFileTo in the
// "Change Filename" dialog. Only lblFileTo changes; the folder part stays as it is. Does nothing
// when no output path is shown.
void cmdChangeOutputFilename_Click(frmMain& window);

// The buttons of one opening of the dialog. The accepted name goes into `result` (the main
// window's hidden lblStempfilename); Cancel, Esc or closing the dialog leave `result` alone.
class FileNameDialogCommands : public QObject {
    Q_OBJECT

public:
    FileNameDialogCommands(frmFileName& dialog, ClickableLabel& result);

    // Accepts the text of Text1 when it is not empty, holds a "." and no space, and closes the
    // dialog; otherwise reports the rule and leaves the dialog open with the text unchanged.
    void cmdOk_Click();
    void cmdCancel_Click();

    static bool isValidName(const QString& name);

private:
    frmFileName& m_dialog;
    ClickableLabel& m_result;
};

} // namespace kelvane
