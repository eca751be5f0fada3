// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

namespace kelvane {

class frmMain;

// The keys of the main window beyond what its controls do themselves: Enter in a password box
// presses the button that the password is for (txtPassword: cmdApply; txtPassword1:
// cmdLockMultipleFiles), F5 refreshes the folder browser, and Delete in the bookmark list
// removes the selected entry through the "Remove Selected Item" command.
class KeyboardCommands : public QObject {
    Q_OBJECT

public:
    explicit KeyboardCommands(frmMain& window);
};

} // namespace kelvane
