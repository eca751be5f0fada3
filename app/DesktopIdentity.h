// SPDX-License-Identifier: MIT
#pragma once

#include <QIcon>
#include <QString>

namespace kelvane {

// How the desktop knows the program: the id of its desktop entry, which is also the name of
// its icon in the icon theme.
class DesktopIdentity {
public:
    static const QString kId; // "org.kelvane.Kelvane"

    // The installed icon of the theme when there is one, else the copy built into the program
    // (so a program run from its build folder has its icon too).
    static QIcon icon();

    // Names the program's desktop entry, so that task bars match its windows to the menu entry,
    // and gives every window of the program the icon. Needs the QApplication.
    static void apply();
};

} // namespace kelvane
