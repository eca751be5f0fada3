// SPDX-License-Identifier: MIT
#include "window/BookmarkEditCommands.h"

#include "core/BookmarkEntry.h"
#include "engine/FileName.h"
#include "platform/MsgBox.h"
#include "window/BookmarkListFile.h"
#include "window/ClickableLabel.h"
#include "window/frmMain.h"

#include <QListWidget>
#include <QPushButton>

namespace kelvane {

namespace {

const QString kAction = QStringLiteral("Action");

} // namespace

BookmarkEditCommands::BookmarkEditCommands(frmMain& window) : QObject(&window), m_window(window) {
    const MainControls& c = window.controls();
    connect(c.cmdAddToAutomated, &QPushButton::clicked, this,
            &BookmarkEditCommands::cmdAddToAutomated_Click);
    connect(c.lblRemoveSelectedItem, &ClickableLabel::Click, this,
            &BookmarkEditCommands::lblRemoveSelectedItem_Click);
    connect(c.Label2, &ClickableLabel::Click, this, &BookmarkEditCommands::Label2_Click);
}

void BookmarkEditCommands::cmdAddToAutomated_Click() {
    const MainControls& c = m_window.controls();
    const BookmarkEntry entry{c.lblFileFrom->text(), c.lblFileTo->text()};
    if (!entry.source.contains(QLatin1Char('.'))) {
        MsgBox(QStringLiteral("Please select a valid file."), vbInformation,
               QStringLiteral("Missing info"));
        return;
    }
    if (!BookmarkEntry::storable(entry.source) || !BookmarkEntry::storable(entry.output)) {
        MsgBox(QStringLiteral("A path that contains \"=\" cannot be bookmarked. Please choose "
                              "another file or output name."),
               vbInformation, kAction);
        return;
    }
    // The list is text: a name with bytes that are not text would come back as another name.
    if (!isTextName(entry.source) || !isTextName(entry.output)) {
        MsgBox(QStringLiteral("A file name that is not valid text cannot be bookmarked. Please "
                              "rename the file or choose another output name."),
               vbInformation, kAction);
        return;
    }

    // The entry is compared with the list as the file holds it now. A duplicate ends selected,
    // and otherwise the entry that was last before the new one, as if each entry had been
    // selected in turn to be compared.
    const QString text = entry.text();
    bool duplicate = false;
    const BookmarkListFile::Edit edit = m_window.bookmarks().edit(
        [&](QListWidget& list) {
            for (int i = 0; i < list.count(); ++i) {
                if (list.item(i)->text() == text) {
                    list.setCurrentRow(i);
                    duplicate = true;
                    return false;
                }
            }
            if (list.count() > 0) {
                list.setCurrentRow(list.count() - 1);
            }
            list.addItem(text);
            return true;
        },
        QStringLiteral("File added to bookmarks"));
    if (duplicate) {
        MsgBox(QStringLiteral("Bookmarked file already exists."), vbInformation, kAction);
    } else if (edit == BookmarkListFile::Edit::Saved) {
        MsgBox(QStringLiteral("Done. File added to bookmarks."), vbInformation, kAction);
    }
}

void BookmarkEditCommands::lblRemoveSelectedItem_Click() {
    QListWidget& list = *m_window.controls().List1;
    const QList<QListWidgetItem*> selected = list.selectedItems();
    if (selected.isEmpty()) {
        MsgBox(QStringLiteral("Please select an item."), vbInformation, QStringLiteral("Ooops"));
        return;
    }
    // The entry goes from the file as it is now; when another program removed it meanwhile,
    // the list is saved as that program left it.
    const QString text = selected.first()->text();
    m_window.bookmarks().edit(
        [&text](QListWidget& list) {
            const QList<QListWidgetItem*> found =
                list.findItems(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
            if (!found.isEmpty()) {
                delete list.takeItem(list.row(found.first()));
            }
            // Nothing is selected afterwards, so a second click cannot remove a neighbour unseen.
            list.setCurrentRow(-1);
            return true;
        },
        QStringLiteral("Item removed"));
}

void BookmarkEditCommands::Label2_Click() {
    if (MsgBox(QStringLiteral("Confirm action?"), vbYesNo + vbQuestion,
               QStringLiteral("Remove Bookmarks")) == vbNo) {
        return;
    }
    m_window.bookmarks().edit(
        [](QListWidget& list) {
            list.clear();
            return true;
        },
        QStringLiteral("All items removed"));
}

} // namespace kelvane
