// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

namespace kelvane {

class frmMain;

// The commands that change the bookmark list: "Add File to Bookmarked Files", "Remove Selected
// Item" and "Remove All Items". Each change is made on the list file as it is at that moment and
// saved at once (BookmarkListFile::edit); none runs while a lock is in progress.
class BookmarkEditCommands : public QObject {
    Q_OBJECT

public:
    explicit BookmarkEditCommands(frmMain& window);

    // Adds the selected file with its output path (lblFileFrom "=" lblFileTo) at the end of the
    // list, unless the same entry is there already.
    void cmdAddToAutomated_Click();
    // Removes the selected entry; afterwards nothing is selected.
    void lblRemoveSelectedItem_Click();
    // Asks, then empties the list.
    void Label2_Click();

private:
    frmMain& m_window;
};

} // namespace kelvane
