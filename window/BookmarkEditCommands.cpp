// SPDX-License-Identifier: MIT
#include "window/BookmarkEditCommands.h"

#include "core/BookmarkEntry.h"
#include "core/BookmarkListLocation.h"
#include "platform/MsgBox.h"
#include "window/ClickableLabel.h"
#include "window/LongOperation.h"
#include "window/frmMain.h"

#include <QDir>
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
    if (LongOperation::running()) {
        return;
    }
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

    // Each entry is selected as it is compared, so a duplicate stays selected.
    const QString text = entry.text();
    QListWidget& list = *c.List1;
    for (int i = 0; i < list.count(); ++i) {
        list.setCurrentRow(i);
        if (list.currentItem()->text() == text) {
            MsgBox(QStringLiteral("Bookmarked file already exists."), vbInformation, kAction);
            return;
        }
    }
    list.addItem(text);
    if (save(QStringLiteral("File added to bookmarks"))) {
        MsgBox(QStringLiteral("Done. File added to bookmarks."), vbInformation, kAction);
    }
}

void BookmarkEditCommands::lblRemoveSelectedItem_Click() {
    if (LongOperation::running()) {
        return;
    }
    QListWidget& list = *m_window.controls().List1;
    const QList<QListWidgetItem*> selected = list.selectedItems();
    if (selected.isEmpty()) {
        MsgBox(QStringLiteral("Please select an item."), vbInformation, QStringLiteral("Ooops"));
        return;
    }
    delete list.takeItem(list.row(selected.first()));
    // Nothing is selected afterwards, so a second click cannot remove a neighbour unseen.
    list.setCurrentRow(-1);
    save(QStringLiteral("Item removed"));
}

void BookmarkEditCommands::Label2_Click() {
    if (LongOperation::running()) {
        return;
    }
    if (MsgBox(QStringLiteral("Confirm action?"), vbYesNo + vbQuestion,
               QStringLiteral("Remove Bookmarks")) == vbNo) {
        return;
    }
    m_window.controls().List1->clear();
    save(QStringLiteral("All items removed"));
}

bool BookmarkEditCommands::save(const QString& done) {
    if (m_window.SaveBookmarks()) {
        return true;
    }
    const QString path = m_window.BookmarkListPath();
    const QString where = path.isEmpty()
                              ? QStringLiteral(": ") + BookmarkListLocation::kNoHomeFolder
                              : QStringLiteral(" to ") + QDir::toNativeSeparators(path);
    MsgBox(QStringLiteral("%1, but the bookmark list could not be saved%2. The list on disk is "
                          "unchanged.")
               .arg(done, where),
           vbExclamation, QStringLiteral("Bookmarked Files"));
    return false;
}

} // namespace kelvane
