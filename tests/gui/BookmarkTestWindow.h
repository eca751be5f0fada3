#pragma once

#include "TestSupport.h"

#include "BookmarkCommands.h"
#include "ClickableLabel.h"
#include "MsgBox.h"
#include "frmMain.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace kelvane::test {

// The main window with the bookmark commands in a program folder of its own, driven as a user
// does. The tests show the frame they work in, as choosing the mode would.
class BookmarkTestWindow {
public:
    BookmarkTestWindow() { restart(); }

    // Starts the program (again) in the same folder.
    void restart() {
        m_window.reset();
        m_window = std::make_unique<frmMain>();
        attachBookmarkCommands(*m_window);
        m_window->Form_Load();
        m_window->show();
    }

    frmMain& window() { return *m_window; }
    const MainControls& c() const { return m_window->controls(); }
    QString listFile() const { return m_program.file(QStringLiteral("bookmarked.txt")); }

    // The two captions as the folder browser and the output name dialog leave them, then a click
    // on "Add File to Bookmarked Files".
    void add(const QString& from, const QString& to) {
        showFrame(c().frContainer);
        c().lblFileFrom->setText(from);
        c().lblFileTo->setText(to);
        QTest::mouseClick(c().cmdAddToAutomated, Qt::LeftButton);
    }

    void select(int row) {
        showFrame(c().frAutomated);
        const QRect place = c().List1->visualItemRect(c().List1->item(row));
        QTest::mouseClick(c().List1->viewport(), Qt::LeftButton, {}, place.center());
    }

    void click(QWidget* control) {
        showFrame(c().frAutomated);
        QTest::mouseClick(control, Qt::LeftButton);
    }

    // Types the batch password (pasting what the test keyboard lacks) and locks all.
    void lockAll(const QString& password) {
        showFrame(c().frAutomated);
        for (const QChar ch : password) {
            if (ch.unicode() < 0x80) {
                QTest::keyClick(c().txtPassword1, ch.toLatin1());
            } else {
                c().txtPassword1->insert(ch);
            }
        }
        QTest::mouseClick(c().cmdLockMultipleFiles, Qt::LeftButton);
    }

    QStringList items() const {
        QStringList items;
        for (int i = 0; i < c().List1->count(); ++i) {
            items.append(c().List1->item(i)->text());
        }
        return items;
    }

private:
    void showFrame(QGroupBox* frame) {
        c().frContainer->setVisible(frame == c().frContainer);
        c().frAutomated->setVisible(frame == c().frAutomated);
        c().cmdAddToAutomated->setVisible(true);
    }

    ProgramFolder m_program;
    std::unique_ptr<frmMain> m_window;
};

// The list file's bytes for these entries.
inline QByteArray listBytes(const QStringList& entries) {
    return entries.isEmpty() ? QByteArray() : entries.join('\n').toUtf8() + '\n';
}

// The boxes shown so far, each as "title | style | prompt".
inline QStringList shownBoxes() {
    QStringList boxes;
    for (const MessageBoxes::Shown& box : MessageBoxes::shown()) {
        boxes.append(QStringLiteral("%1 | %2 | %3").arg(box.title).arg(box.style).arg(box.prompt));
    }
    return boxes;
}

} // namespace kelvane::test
