// SPDX-License-Identifier: MIT
#include "tests/gui/TestSupport.h"

#include "platform/Attention.h"
#include "window/FormScroller.h"

#include <QScreen>
#include <QScrollBar>

namespace kelvane::test {

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
        const QSize kForm(1127, 637); // the form's size at 100 %
        CommandWindow w;
        frmMain& window = *w.window;
        const QRect available = window.screen()->availableGeometry();
        qInfo("screen %dx%d (scaled), %g device pixels each", available.width(), available.height(),
              window.devicePixelRatioF());
        window.openWithin(available);
        QVERIFY(available.contains(
            QRect(window.pos(), window.size().grownBy(frmMain::kFrameAllowance))));
        const QSize room = available.size().shrunkBy(frmMain::kFrameAllowance);
        const bool fits = room.expandedTo(kForm) == room;
        QScrollBar& across = window.scroller().horizontal();
        QScrollBar& down = window.scroller().vertical();
        QCOMPARE(window.size() == kForm, fits);
        QCOMPARE(across.isVisible() || down.isVisible(), !fits);
        for (const int mode : {0, 1, 2}) {
            w.mode(mode);
            // The view: the window less its scroll bars.
            const QRect view(0, 0, window.width() - down.isVisible() * down.width(),
                             window.height() - across.isVisible() * across.height());
            // Scrolled to the start, no control lies before the view; to the end, none after it.
            for (const bool toEnd : {false, true}) {
                across.setValue(toEnd ? across.maximum() : 0);
                down.setValue(toEnd ? down.maximum() : 0);
                for (const QWidget* control : window.findChildren<QWidget*>()) {
                    const QRect place(control->mapTo(&window, QPoint(0, 0)), control->size());
                    QVERIFY2(control->objectName().isEmpty() || !control->isVisibleTo(&window) ||
                                 (toEnd ? place.right() <= view.right() &&
                                              place.bottom() <= view.bottom()
                                        : place.left() >= 0 && place.top() >= 0),
                             qPrintable(control->objectName()));
                }
            }
        }
    }

    // A run that ends while the user is in another window asks for attention, once it has taken
    // long enough to have been left to itself.
    void longRunEndAsksForAttention_data() {
        QTest::addColumn<qint64>("after"); // milliseconds
        QTest::addColumn<bool>("active");
        QTest::addColumn<int>("requests");
        QTest::addRow("long run, user elsewhere") << qint64(0) << false << 1;
        QTest::addRow("long run, user in the window") << qint64(0) << true << 0;
        QTest::addRow("short run, user elsewhere") << qint64(3'600'000) << false << 0;
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
        QWidget* user = active ? static_cast<QWidget*>(w.window.get()) : &elsewhere;
        user->show();
        user->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(user));
        QCOMPARE(AttentionRequests::count(), 0);
        w.run(false, "pw");
        QCOMPARE(messagesShown(), Boxes{kDone});
        QCOMPARE(AttentionRequests::count(), requests);
    }

    // Coming into the folder list or the file list with Tab shows a focus frame and keeps the
    // folder, and in the file list selects nothing; the arrows, Space and Enter then select as a
    // click does. The file's name alone, not its folder's, chooses the mode and the output.
    void keyboardOnTheFileList_data() {
        QTest::addColumn<int>("key"); // 0: none
        QTest::addColumn<QString>("selected");
        QTest::addColumn<QString>("output");
        // clang-format off
        QTest::addRow("focus alone")                      << 0                   << ""             << "";
        QTest::addRow("space")                            << int(Qt::Key_Space)  << "a.txt"        << "a_locked.txt";
        QTest::addRow("enter")                            << int(Qt::Key_Return) << "a.txt"        << "a_locked.txt";
        QTest::addRow("down arrow to a locked file")      << int(Qt::Key_Down)   << "a_locked.txt" << "a_unlocked.txt";
        QTest::addRow("down arrow to a name in capitals") << int(Qt::Key_Down)   << "a_LOCKED.txt" << "a_LOCKED_locked.txt";
        // clang-format on
    }
    void keyboardOnTheFileList() {
        QFETCH(int, key);
        QFETCH(QString, selected);
        QFETCH(QString, output);
        CommandWindow w;
        const auto path = [&w](const QString& name) {
            return name.isEmpty() ? QString() : w.file("x_locked/" + name);
        };
        w.write("x_locked/" + (selected.isEmpty() ? "a.txt" : selected), "a");
        w.write("x_locked/b.txt", "b");
        w.browse(w.file("x_locked"));
        const MainControls& c = w.c();
        w.activate();
        c.Drive1->setFocus(Qt::TabFocusReason);
        for (QWidget* list : {static_cast<QWidget*>(c.Dir1), static_cast<QWidget*>(c.File1)}) {
            const QImage unfocused = list->grab().toImage();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QVERIFY(list->hasFocus());
            QVERIFY2(list->grab().toImage() != unfocused, "no focus frame");
        }
        QCOMPARE(c.Dir1->Path(), w.file("x_locked"));
        QCOMPARE(c.lblFileFrom->text(), QString());
        if (key != 0) {
            QTest::keyClick(c.File1, Qt::Key(key));
        }
        QCOMPARE(c.File1->FileName(), selected);
        QCOMPARE(c.File1->selectionModel()->selectedRows().size(), selected.isEmpty() ? 0 : 1);
        QCOMPARE((QStringList{c.lblFileFrom->text(), c.lblFileTo->text()}),
                 (QStringList{path(selected), path(output)}));
        QCOMPARE(c.vButton[1]->Collapsed(), !selected.contains("_locked"));
    }
};

KELVANE_GUI_TEST(EveryDesktopTest);

} // namespace kelvane::test

#include "EveryDesktopTest.moc"
