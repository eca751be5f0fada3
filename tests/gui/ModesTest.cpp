#include "SingleFileWindow.h"

#include <QGroupBox>

namespace kelvane::test::singlefile {

namespace {

// lblFileFrom_Caption, lblFileTo_Caption, lblFilePassword_Caption, cmdApply.
const QStringList kLock{"File to Lock", "New File (Locked) will Be Saved as:",
                        "Lock File with the Following Password:", "Lock File"};
const QStringList kUnlock{"File to Unlock", "New File (Unlocked) will Be Saved as:",
                          "Password to Unlock the File:", "Unlock File"};

QStringList captionsOf(const MainControls& c) {
    return {c.lblFileFrom_Caption->text(), c.lblFileTo_Caption->text(),
            c.lblFilePassword_Caption->text(), c.cmdApply->text()};
}

// A click on the mode's caption label, or on its frame button beside the label.
void choose(const MainControls& c, int mode, bool onFrameButton) {
    if (onFrameButton) {
        QTest::mouseClick(c.vButton[mode], Qt::LeftButton, {}, QPoint(3, 3));
    } else {
        QTest::mouseClick(c.lblLockFile[mode], Qt::LeftButton);
    }
}

class ModesTest : public QObject {
    Q_OBJECT

private slots:
    void modeTable_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("onFrameButton");
        QTest::newRow("unlock -> lock, label") << 1 << 0 << false;
        QTest::newRow("lock -> unlock, label") << 0 << 1 << false;
        QTest::newRow("unlock -> bookmarks, label") << 1 << 2 << false;
        QTest::newRow("bookmarks -> lock, button") << 2 << 0 << true;
        QTest::newRow("bookmarks -> unlock, button") << 2 << 1 << true;
        QTest::newRow("lock -> bookmarks, button") << 0 << 2 << true;
        QTest::newRow("unlock again") << 1 << 1 << false;
    }
    void modeTable() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, onFrameButton);
        SingleFileWindow w;
        const MainControls& c = w.c();
        w.write("report.txt", "r");
        QVERIFY(c.File1->setFileName("report.txt")); // selected without a click
        choose(c, from, false);
        const QStringList captionsBefore = captionsOf(c);
        const bool addButtonBefore = !c.cmdAddToAutomated->isHidden();
        c.txtPassword->setText("single");
        c.txtPassword1->setText("batch");

        choose(c, to, onFrameButton);

        for (int i = 0; i < 3; ++i) {
            QCOMPARE(c.vButton[i]->Collapsed(), i != to);
        }
        QCOMPARE(c.frContainer->isHidden(), to == 2);
        QCOMPARE(c.frAutomated->isHidden(), to != 2);
        QCOMPARE(captionsOf(c), to == 2 ? captionsBefore : to == 0 ? kLock : kUnlock);
        QCOMPARE(!c.cmdAddToAutomated->isHidden(), to == 2 ? addButtonBefore : to == 0);
        const QString password = to == 2 ? "single" : "batch";
        QCOMPARE(c.txtPassword->text(), password);
        QCOMPARE(c.txtPassword1->text(), password);
        // Every switch ends by deriving the paths; only Lock File uses the lock rule.
        QCOMPARE(c.lblFileFrom->text(), w.file("report.txt"));
        QCOMPARE(c.lblFileTo->text(),
                 w.file(to == 0 ? "report_locked.txt" : "report_unlocked.txt"));
    }
};

} // namespace

KELVANE_GUI_TEST(ModesTest);

} // namespace kelvane::test::singlefile

#include "ModesTest.moc"
