#include "TestSupport.h"

#include "ClickableLabel.h"
#include "DirListBox.h"
#include "DriveListBox.h"
#include "FileListBox.h"
#include "MsgBox.h"
#include "Runtime.h"
#include "frmFileName.h"
#include "frmMain.h"
#include "vFrame.h"

#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace kelvane::test {

namespace {

const QString kHelp = QStringLiteral(
    "The software allows you to encrypt your files with a password of your choice. It is "
    "important that A) You keep a copy of your original files. B) You remember the password "
    "that you've used as without it, the locked files can't be unencrypted. Please notice that no "
    "encryption system is unbeatable but using no encryption at all is a guaranteed way of "
    "getting your valuable information exposed. Finally, this software does not connect to the "
    "internet and does not transmit information to any kind of device.");

QStringList itemsOf(const QListWidget& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i) {
        items.append(list.item(i)->text());
    }
    return items;
}

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void init() { MessageBoxes::clear(); }

    void windowAfterStartUp() {
        ProgramFolder folder;
        frmMain window;
        window.Form_Load();
        const MainControls& c = window.controls();

        QVERIFY(window.windowTitle().startsWith("Kelvane Pro 1.2 by "));
        QCOMPARE(window.windowTitle(), "Kelvane Pro 1.2 " + c.lblBy->text());
        QVERIFY(c.lblBy->text().size() > 3);
        QCOMPARE(c.lblAppName->text(), QString("Kelvane Pro"));
        QVERIFY(c.vButton[2]->isVisibleTo(&window));
        QVERIFY(!c.vButton[0]->Collapsed());
        QVERIFY(c.vButton[1]->Collapsed());
        QVERIFY(c.vButton[2]->Collapsed());
        QCOMPARE(c.frAutomated->geometry(), c.frContainer->geometry());
        QCOMPARE(c.frContainer->geometry(), QRect(18, 165, 1084, 436));
        QVERIFY(!c.frAutomated->isVisibleTo(&window));
        QVERIFY(c.frContainer->isVisibleTo(&window));
        QVERIFY(!c.cmdAddToAutomated->isVisibleTo(&window));
        QVERIFY(!c.lblPleaseWait->isVisibleTo(&window));
        QVERIFY(!c.tmrPleaseWait->isActive());
        QCOMPARE(c.lblFileFrom_Caption->text(), QString("File to Lock:"));
        QCOMPARE(c.lblFileTo_Caption->text(), QString("New File (Locked) will Be Saved as:"));
        QCOMPARE(c.lblFilePassword_Caption->text(),
                 QString("Lock File with the Following Password:"));
        QCOMPARE(c.cmdApply->text(), QString("Lock File"));
        QVERIFY(c.lblFileFrom->text().isEmpty() && c.lblFileTo->text().isEmpty());
        QVERIFY(c.txtPassword->text().isEmpty() && c.txtPassword1->text().isEmpty());
        QVERIFY(c.List1->count() == 0);
        QVERIFY(MessageBoxes::shown().isEmpty());
    }

    void bookmarksLoadedAtStartUp_data() {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("no list file") << false << QByteArray() << QStringList{};
        QTest::newRow("empty list file") << true << QByteArray() << QStringList{};
        QTest::newRow("entries in order, sources gone")
            << true << QByteArray("/gone/b.txt=/gone/b_locked.txt\n/gone/a=/gone/a.locked\n")
            << QStringList{"/gone/b.txt=/gone/b_locked.txt", "/gone/a=/gone/a.locked"};
        QTest::newRow("crlf line ends")
            << true << QByteArray("x.txt=y.txt\r\n") << QStringList{"x.txt=y.txt"};
    }
    void bookmarksLoadedAtStartUp() {
        QFETCH(bool, present);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, items);
        ProgramFolder folder;
        if (present) {
            writeBytes(folder.file("bookmarked.txt"), bytes);
        }
        frmMain window;
        window.Form_Load();
        QCOMPARE(itemsOf(*window.controls().List1), items);
        QVERIFY(MessageBoxes::shown().isEmpty());
        QCOMPARE(QFile::exists(folder.file("bookmarked.txt")), present);
    }

    void unreadableListFileIsKeptAndReported() {
        ProgramFolder folder;
        const QByteArray unreadable("/d/caf\xe9.txt=/d/caf\xe9_locked.txt\n");
        writeBytes(folder.file("bookmarked.txt"), unreadable);
        frmMain window;
        window.Form_Load();

        QCOMPARE(window.controls().List1->count(), 0);
        const auto shown = MessageBoxes::shown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].style, 48);
        QVERIFY2(shown[0].prompt.contains(QDir::toNativeSeparators(folder.file("bookmarked.txt"))),
                 qPrintable(shown[0].prompt));
        const QStringList aside =
            QDir(folder.path()).entryList({"bookmarked.txt.unreadable-*"}, QDir::Files);
        QCOMPARE(aside.size(), 1);
        QVERIFY(shown[0].prompt.contains(aside[0]));
        QCOMPARE(readBytes(folder.file(aside[0])), unreadable);

        // The next save writes a new list and leaves the kept file alone.
        window.controls().List1->addItem("/d/x.txt=/d/x_locked.txt");
        QVERIFY(window.SaveBookmarks());
        QCOMPARE(readBytes(folder.file("bookmarked.txt")),
                 QByteArray("/d/x.txt=/d/x_locked.txt\n"));
        QCOMPARE(readBytes(folder.file(aside[0])), unreadable);
    }

    void bookmarkListPath_data() {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<QString>("path");
        QTest::newRow("folder") << "/opt/kelvane"
                                << "/opt/kelvane/bookmarked.txt";
        QTest::newRow("root") << "/"
                              << "/bookmarked.txt";
        QTest::newRow("network share") << "//server/tools"
                                       << "//server/tools/bookmarked.txt";
    }
    void bookmarkListPath() {
        QFETCH(QString, programFolder);
        QFETCH(QString, path);
        frmMain window;
        ProgramFolder restore;
        setProgramFolderForTesting(programFolder);
        QCOMPARE(window.BookmarkListPath(), path);
    }

    void failedSaveIsReturned() {
        ProgramFolder folder;
        frmMain window;
        window.Form_Load();
        window.controls().List1->addItem("a=b");
        setProgramFolderForTesting(folder.file("missing"));
        QVERIFY(!window.SaveBookmarks());
        QCOMPARE(window.controls().List1->count(), 1);
    }

    void resizeFitsOnlyTheSingleFileFrame_data() {
        QTest::addColumn<QSize>("size");
        QTest::newRow("as designed") << QSize(1127, 637);
        QTest::newRow("larger") << QSize(1400, 900);
        QTest::newRow("narrow") << QSize(30, 700);
        QTest::newRow("tiny") << QSize(20, 20);
    }
    void resizeFitsOnlyTheSingleFileFrame() {
        QFETCH(QSize, size);
        ProgramFolder folder;
        frmMain window;
        window.Form_Load();
        const MainControls& c = window.controls();
        const QRect bookmarkFrame = c.frAutomated->geometry();
        const QRect applyButton = c.cmdApply->geometry();
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.resize(size);
        QTRY_COMPARE(window.size(), size);

        const QSize outer = window.frameGeometry().size() * 15;
        const QSize expected(qRound(std::max(0, outer.width() - 500) / 15.0),
                             qRound(std::max(0, outer.height() - 3500) / 15.0));
        QTRY_COMPARE(c.frContainer->size(), expected);
        QCOMPARE(c.frContainer->pos(), QPoint(18, 165));
        QCOMPARE(c.frAutomated->geometry(), bookmarkFrame);
        QCOMPARE(c.cmdApply->geometry(), applyButton);
    }

    void pleaseWaitIndicator() {
        ProgramFolder folder;
        frmMain window;
        window.Form_Load();
        const MainControls& c = window.controls();
        window.show();

        window.PleaseWaitStart();
        QVERIFY(c.tmrPleaseWait->isActive());
        for (QWidget* input : std::initializer_list<QWidget*>{
                 c.cmdApply, c.cmdChangeOutputFilename, c.txtPassword, c.File1, c.Dir1, c.Drive1}) {
            QVERIFY2(!input->isEnabled(), qPrintable(input->objectName()));
        }
        for (QWidget* other : std::initializer_list<QWidget*>{
                 c.txtPassword1, c.List1, c.cmdLockMultipleFiles, c.vButton[0], c.vButton[2],
                 c.lblLockFile[1], c.Label1, c.Label2, c.lblRemoveSelectedItem, c.lblRefresh}) {
            QVERIFY2(other->isEnabled(), qPrintable(other->objectName()));
        }
        QTRY_VERIFY_WITH_TIMEOUT(c.lblPleaseWait->isVisible(), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(!c.lblPleaseWait->isVisible(), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(c.lblPleaseWait->isVisible(), 2000);

        // Stopping while the label shows leaves it hidden.
        window.PleaseWaitStop();
        QVERIFY(!c.tmrPleaseWait->isActive());
        QVERIFY(!c.lblPleaseWait->isVisible());
        window.EnableInputs(true);
        QVERIFY(c.cmdApply->isEnabled() && c.Drive1->isEnabled() && c.File1->isEnabled());
    }

    void helpText() {
        ProgramFolder folder;
        frmMain window;
        window.Form_Load();
        window.show();
        QTest::mouseClick(window.controls().Label1, Qt::LeftButton);
        const auto shown = MessageBoxes::shown();
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown[0].prompt, kHelp);
        QCOMPARE(shown[0].prompt.size(), 505);
        QCOMPARE(shown[0].title, QString("Info"));
        QCOMPARE(shown[0].style, 64);
    }

    void closingWaitsWhileBusy() {
        ProgramFolder folder;
        frmMain window;
        window.Form_Load();
        bool busy = true;
        window.addBusyCheck([&busy] { return busy; });
        window.show();
        QVERIFY(!window.close());
        QVERIFY(window.isVisible());
        busy = false;
        QVERIFY(window.close());
    }

    void activationRereadsTheLists() {
        ProgramFolder folder;
        QTemporaryDir browsed;
        frmMain window;
        window.Form_Load();
        const MainControls& c = window.controls();
        QVERIFY(c.Dir1->setPath(browsed.path()));
        writeBytes(browsed.filePath("before-show.txt"), "x");
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTRY_COMPARE(c.File1->ListCount(), 1);

        // Closing the file name dialog activates the window again.
        frmFileName dialog(&window);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        writeBytes(browsed.filePath("while-dialog.txt"), "x");
        dialog.close();
        window.activateWindow(); // what the desktop does when the dialog goes
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTRY_COMPARE(c.File1->ListCount(), 2);
    }
};

} // namespace

KELVANE_GUI_TEST(StartupTest);

} // namespace kelvane::test

#include "StartupTest.moc"
