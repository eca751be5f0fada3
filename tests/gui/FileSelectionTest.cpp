#include "SingleFileWindow.h"

namespace kelvane::test::singlefile {

namespace {

class FileSelectionTest : public QObject {
    Q_OBJECT

private slots:
    // A click on a file chooses the mode by the name and shows both paths; the rule changes
    // the file name only.
    void clickChoosesModeAndNames_data() {
        QTest::addColumn<QString>("path"); // under the temporary folder, as is the output
        QTest::addColumn<int>("mode");     // 0 Lock File, 1 Unlock File
        QTest::addColumn<QString>("output");
        QTest::newRow("plain") << "d/report.txt" << 0 << "d/report_locked.txt";
        QTest::newRow("locked") << "d/report_locked.txt" << 1 << "d/report_unlocked.txt";
        QTest::newRow("unlocked") << "d/report_unlocked.txt" << 0 << "d/report_locked.txt";
        QTest::newRow("case matters") << "d/a_LOCKED.txt" << 0 << "d/a_LOCKED_locked.txt";
        QTest::newRow("no extension") << "d/README" << 0 << "d/README.locked";
        QTest::newRow("locked, no extension") << "d/README_locked" << 1 << "d/README.unlocked";
        QTest::newRow("dot locked") << "d/README.locked" << 0 << "d/README_locked.locked";
        QTest::newRow("two extensions") << "d/a.tar.gz" << 0 << "d/a_locked.tar.gz";
        QTest::newRow("dotted folder") << "my.docs/report.txt" << 0 << "my.docs/report_locked.txt";
        QTest::newRow("dotted folder, no extension") << "my.d/README" << 0 << "my.d/README.locked";
        QTest::newRow("marker in folder")
            << "old_unlocked/a.txt" << 0 << "old_unlocked/a_locked.txt";
        QTest::newRow("locked folder") << "x_locked/a_locked.txt" << 1 << "x_locked/a_unlocked.txt";
    }
    void clickChoosesModeAndNames() {
        QFETCH(QString, path);
        QFETCH(int, mode);
        QFETCH(QString, output);
        SingleFileWindow w;
        const MainControls& c = w.c();
        w.write(path, "x");
        w.browse(QFileInfo(w.file(path)).path());
        c.txtPassword->setText("typed before");

        w.clickFile(QFileInfo(path).fileName());

        QCOMPARE(c.lblFileFrom->text(), w.file(path));
        QCOMPARE(c.lblFileTo->text(), w.file(output));
        QCOMPARE(c.vButton[0]->Collapsed(), mode != 0);
        QCOMPARE(c.vButton[1]->Collapsed(), mode != 1);
        QCOMPARE(c.cmdApply->text(), QString(mode == 0 ? "Lock File" : "Unlock File"));
        QCOMPARE(c.txtPassword->text(), QString()); // the batch password, never typed
    }

    void userSwitchAndLostSelection() {
        SingleFileWindow w;
        const MainControls& c = w.c();
        w.write("README.locked", "x");
        w.write("empty/keep.txt", "k");
        w.clickFile("README.locked");
        QTest::mouseClick(c.lblLockFile[1], Qt::LeftButton);
        QCOMPARE(c.lblFileTo->text(), w.file("README_unlocked.locked"));

        w.browse(w.file("empty")); // nothing selected there
        QTest::mouseClick(c.lblLockFile[0], Qt::LeftButton);
        QCOMPARE(c.lblFileTo->text(), QString());
        QCOMPARE(c.lblFileFrom->text(), w.file("README.locked"));
    }
};

} // namespace

KELVANE_GUI_TEST(FileSelectionTest);

} // namespace kelvane::test::singlefile

#include "FileSelectionTest.moc"
