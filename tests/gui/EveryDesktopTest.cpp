// SPDX-License-Identifier: MIT
#include "tests/gui/TestSupport.h"

#include "platform/Attention.h"
#include "window/FormScroller.h"

#include <QMessageBox>
#include <QScreen>
#include <QScrollBar>

namespace kelvane::test {

namespace {

const QSize kForm(1127, 637); // the form's size at 100 %

// The named controls of the window that show in the current mode.
QList<QWidget*> shownControls(frmMain& window) {
    QList<QWidget*> shown;
    for (QWidget* control : window.findChildren<QWidget*>()) {
        if (!control->objectName().isEmpty() && control->isVisibleTo(&window)) {
            shown << control;
        }
    }
    return shown;
}

// Where `control` is, in the window.
QRect placeOf(const frmMain& window, const QWidget* control) {
    return QRect(control->mapTo(&window, QPoint(0, 0)), control->size());
}

// Opens the window within `available`, and checks that it lies inside, keeps the form's size
// and shows no scroll bar where the form fits, and that every control of every mode can be
// scrolled into view.
void checkOpensWithin(CommandWindow& w, const QRect& available) {
    frmMain& window = *w.window;
    window.openWithin(available);
    QVERIFY(
        available.contains(QRect(window.pos(), window.size().grownBy(frmMain::kFrameAllowance))));
    const bool fits = available.size().shrunkBy(frmMain::kFrameAllowance).expandedTo(kForm) ==
                      available.size().shrunkBy(frmMain::kFrameAllowance);
    FormScroller& scroller = window.scroller();
    QCOMPARE(window.size() == kForm, fits);
    QCOMPARE(scroller.horizontal().isVisible() || scroller.vertical().isVisible(), !fits);
    for (const int mode : {0, 1, 2}) {
        w.mode(mode);
        // The view: the window less its scroll bars.
        const QRect view(
            0, 0,
            window.width() - (scroller.vertical().isVisible() ? scroller.vertical().width() : 0),
            window.height() -
                (scroller.horizontal().isVisible() ? scroller.horizontal().height() : 0));
        // Scrolled to the start, nothing lies before the view; to the end, nothing after it.
        scroller.horizontal().setValue(0);
        scroller.vertical().setValue(0);
        for (const QWidget* control : shownControls(window)) {
            const QRect place = placeOf(window, control);
            QVERIFY2(place.left() >= 0 && place.top() >= 0, qPrintable(control->objectName()));
        }
        if (fits) {
            QCOMPARE(placeOf(window, w.c().Picture1), QRect(0, 0, kForm.width(), 94));
        }
        scroller.horizontal().setValue(scroller.horizontal().maximum());
        scroller.vertical().setValue(scroller.vertical().maximum());
        for (const QWidget* control : shownControls(window)) {
            const QRect place = placeOf(window, control);
            QVERIFY2(place.right() <= view.right() && place.bottom() <= view.bottom(),
                     qPrintable(control->objectName()));
        }
    }
}

} // namespace

class EveryDesktopTest : public QObject {
    Q_OBJECT

private slots:
    void init() { AttentionRequests::setTestMode(true); }
    void cleanup() {
        AttentionRequests::setTestMode(false);
        LongOperation::setAttentionAfter(3000);
    }

    // On a small screen and at a large scale factor the window opens inside the screen's free
    // area, and every control of every mode can be scrolled into view; where the form fits, the
    // window keeps its size and shows no scroll bar. This runs on the test's screen with its
    // scale factor: ctest runs it on screens of 1280 x 800 and 1366 x 768 at 100, 125 and 150 %
    // (QT_SCALE_FACTOR), and on the offscreen platform's own screen of 800 x 600.
    void opensWithinThisScreen() {
        CommandWindow w;
        const QRect available = w.window->screen()->availableGeometry();
        qInfo("screen %dx%d (scaled), %g device pixels each", available.width(), available.height(),
              w.window->devicePixelRatioF());
        checkOpensWithin(w, available);
    }

    // A run that ends while the user is in another window asks for attention, once it has taken
    // long enough to have been left to itself.
    void longRunEndAsksForAttention_data() {
        QTest::addColumn<qint64>("after");
        QTest::addColumn<bool>("active");
        QTest::addColumn<int>("requests");
        struct Row {
            const char* name;
            qint64 after; // milliseconds
            bool active;
            int requests;
        };
        const Row rows[] = {
            {"long run, user elsewhere", 0, false, 1},
            {"long run, user in the window", 0, true, 0},
            {"short run, user elsewhere", 3'600'000, false, 0},
        };
        for (const Row& row : rows) {
            QTest::addRow("%s", row.name) << row.after << row.active << row.requests;
        }
    }
    void longRunEndAsksForAttention() {
        QFETCH(qint64, after);
        QFETCH(bool, active);
        QFETCH(int, requests);
        LongOperation::setAttentionAfter(after);
        CommandWindow w;
        w.write("a.txt", "some text");
        w.clickFile("a.txt");
        QWidget elsewhere;
        if (active) {
            w.activate();
        } else {
            elsewhere.show();
            elsewhere.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
        }
        QCOMPARE(AttentionRequests::count(), 0);
        w.run(false, "pw");
        QCOMPARE(messagesShown(), Boxes{kDone});
        QCOMPARE(AttentionRequests::count(), requests);
    }

    // Coming into the file list with Tab shows a focus frame and selects nothing; the arrows,
    // Space and Enter then select as a click does.
    void keyboardOnTheFileList_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("selected");
        struct Row {
            const char* name;
            int key; // 0: none
            const char* selected;
        };
        const Row rows[] = {
            {"focus alone", 0, ""},
            {"down arrow", Qt::Key_Down, "a.txt"},
            {"space", Qt::Key_Space, "a.txt"},
            {"enter", Qt::Key_Return, "a.txt"},
            {"down arrow to a locked file", Qt::Key_Down, "a_locked.txt"},
        };
        for (const Row& row : rows) {
            QTest::addRow("%s", row.name) << row.key << QString(row.selected);
        }
    }
    void keyboardOnTheFileList() {
        QFETCH(int, key);
        QFETCH(QString, selected);
        CommandWindow w;
        w.write(selected.isEmpty() ? "a.txt" : selected, "a");
        w.write("b.txt", "b");
        const MainControls& c = w.c();
        w.activate();
        c.Dir1->setFocus(Qt::TabFocusReason);
        const QImage unfocused = c.File1->grab().toImage();
        QTest::keyClick(c.Dir1, Qt::Key_Tab);
        QVERIFY(c.File1->hasFocus());
        QVERIFY(c.File1->grab().toImage() != unfocused); // the focus frame
        QCOMPARE(c.File1->FileName(), QString());
        QCOMPARE(c.lblFileFrom->text(), QString());
        if (key != 0) {
            QTest::keyClick(c.File1, Qt::Key(key));
        }
        QCOMPARE(c.File1->FileName(), selected);
        QCOMPARE(c.File1->selectionModel()->selectedRows().size(), selected.isEmpty() ? 0 : 1);
        QCOMPARE(c.lblFileFrom->text(), selected.isEmpty() ? QString() : w.file(selected));
        QCOMPARE(c.vButton[1]->Collapsed(), !selected.contains("_locked"));
    }

    // The folder list shows a focus frame too, and keeps its current folder.
    void folderListShowsItsFocus() {
        CommandWindow w;
        const MainControls& c = w.c();
        w.activate();
        c.Drive1->setFocus(Qt::TabFocusReason);
        const QImage unfocused = c.Dir1->grab().toImage();
        const QString folder = c.Dir1->Path();
        QTest::keyClick(c.Drive1, Qt::Key_Tab);
        QVERIFY(c.Dir1->hasFocus());
        QVERIFY(c.Dir1->grab().toImage() != unfocused);
        QCOMPARE(c.Dir1->Path(), folder);
    }

    // Every message box is at least as wide as its title needs on a title bar, with a short
    // prompt or a long one.
    void messageBoxesFitTheirTitles_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("prompt");
        QTest::addColumn<int>("style");
        struct Row {
            const char* title;
            const char* prompt;
            int style;
        };
        const Row rows[] = {
            {"Remove Bookmarks", "Confirm action?", vbYesNo + vbQuestion},
            {"Please confirm", "Confirm action?", vbYesNo + vbQuestion},
            {"Missing info", "Please select a valid file.", vbInformation},
            {"Error", "x", vbExclamation},
            {"Lock All the Bookmarked Files: what was locked", "Done.", vbInformation},
        };
        for (const Row& row : rows) {
            QTest::addRow("%s", row.title)
                << QString(row.title) << QString(row.prompt) << row.style;
        }
    }
    void messageBoxesFitTheirTitles() {
        QFETCH(QString, title);
        QFETCH(QString, prompt);
        QFETCH(int, style);
        const std::unique_ptr<QMessageBox> box = MessageBoxes::create(prompt, style, title, {});
        box->show();
        QVERIFY(QTest::qWaitForWindowExposed(box.get()));
        QFont titleFont = QApplication::font();
        titleFont.setBold(true);
        // The title, and three window buttons of at least 32 pixels each.
        const int needed = QFontMetrics(titleFont).horizontalAdvance(title) + 3 * 32;
        QVERIFY2(box->width() >= needed,
                 qPrintable(QString("%1 < %2").arg(box->width()).arg(needed)));
        QCOMPARE(box->windowTitle(), title);
        QCOMPARE(box->text(), prompt);
    }
};

KELVANE_GUI_TEST(EveryDesktopTest);

} // namespace kelvane::test

#include "EveryDesktopTest.moc"
