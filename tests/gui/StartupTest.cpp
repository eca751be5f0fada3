#include "TestSupport.h"

#include "OutputFaults.h"
#include "frmFileName.h"

#include <QDir>

#include <algorithm>

namespace kelvane::test {

namespace {

const QString kHelp(
    "The software allows you to encrypt your files with a password of your choice. It is "
    "important that A) You keep a copy of your original files. B) You remember the password "
    "that you've used as without it, the locked files can't be unencrypted. Please notice that no "
    "encryption system is unbeatable but using no encryption at all is a guaranteed way of "
    "getting your valuable information exposed. Finally, this software does not connect to the "
    "internet and does not transmit information to any kind of device.");

const QRect kFrame(18, 165, 1084, 436); // frContainer as designed, in pixels

class StartupTest : public QObject {
    Q_OBJECT

private slots:
    void init() { MessageBoxes::clear(); }

    // Start-up marks Lock File as the mode without running the mode switch, so the captions
    // stay as designed; with no list file the list is empty and no file is made.
    void windowAfterStartUp() {
        StartedWindow w;
        QVERIFY(w.window.windowTitle().startsWith("Kelvane Pro 1.2 by "));
        QCOMPARE(w.window.windowTitle(), "Kelvane Pro 1.2 " + w.c.lblBy->text());
        QCOMPARE(w.c.lblAppName->text(), QString("Kelvane Pro"));
        QVERIFY(w.c.vButton[2]->isVisibleTo(&w.window));
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(w.c.vButton[i]->Collapsed(), i != 0);
        }
        QCOMPARE(w.c.frAutomated->geometry(), kFrame);
        QVERIFY(!w.c.cmdAddToAutomated->isVisibleTo(&w.window));
        QCOMPARE(w.c.lblFileFrom_Caption->text(), QString("File to Lock:"));
        QCOMPARE(w.c.List1->count(), 0);
        QVERIFY(!QFile::exists(w.program.file("bookmarked.txt")));
        QCOMPARE(messagesShown(), QStringList());
    }

    // A list written by the legacy program, in its Windows code page, is read as such and
    // kept; the next save writes it as UTF-8.
    void legacyListFileIsRead() {
        ProgramFolder folder;
        const QString path = folder.file("bookmarked.txt");
        const QByteArray legacy("C:\\Docs\\caf\xe9 \x80.txt=C:\\Docs\\caf\xe9 \x80_locked.txt\r\n");
        writeBytes(path, legacy);
        frmMain window;
        window.Form_Load();
        const QString entry =
            QStringLiteral("C:\\Docs\\caf\u00e9 \u20ac.txt=C:\\Docs\\caf\u00e9 \u20ac_locked.txt");
        QCOMPARE(itemTexts(*window.controls().List1), QStringList{entry});
        QCOMPARE(messagesShown(), QStringList());
        QCOMPARE(readBytes(path), legacy);
        QVERIFY(window.SaveBookmarks());
        QCOMPARE(readBytes(path), entry.toUtf8() + '\n');
    }

    // A list that is no text at all is kept under another name, reported once, and never
    // overwritten.
    void unreadableListFileIsKeptAndReported() {
        ProgramFolder folder;
        const QString path = folder.file("bookmarked.txt");
        const QByteArray unreadable("/d/a.txt=/d/a_locked.txt\n\0\x01\x02", 28);
        writeBytes(path, unreadable);
        frmMain window;
        window.Form_Load();
        const QStringList aside = QDir(folder.path()).entryList({"bookmarked.txt.*"});
        QCOMPARE(aside.size(), 1);
        QCOMPARE(messagesShown(),
                 QStringList(
                     "Bookmarked Files | 48 | The bookmark list " + QDir::toNativeSeparators(path) +
                     " could not be read (the file is not a text file). It has been kept as " +
                     QDir::toNativeSeparators(folder.file(aside[0])) +
                     " and the list starts empty."));
        QCOMPARE(window.controls().List1->count(), 0);
        window.controls().List1->addItem("/d/x.txt=/d/x_locked.txt");
        QVERIFY(window.SaveBookmarks());
        QCOMPARE(readBytes(path), QByteArray("/d/x.txt=/d/x_locked.txt\n"));
        QCOMPARE(readBytes(folder.file(aside[0])), unreadable);
    }

    // When the unreadable list cannot be set aside either, it is left in place, reported, and
    // never overwritten: every change of the list then says it was not saved.
    void unreadableListThatCannotBeSetAsideIsNeverOverwritten() {
        ProgramFolder folder;
        const QString path = folder.file("bookmarked.txt");
        const QByteArray unreadable("/d/a.txt=/d/a_locked.txt\n\0", 26);
        writeBytes(path, unreadable);
        frmMain window;
        {
            OutputFaults faults;
            faults.failAt(OutputCall::Rename, 1, EACCES);
            window.Form_Load();
        }
        QCOMPARE(messagesShown(),
                 QStringList("Bookmarked Files | 48 | The bookmark list " +
                             QDir::toNativeSeparators(path) +
                             " could not be read (the file is not a text file). It is left as it "
                             "is, and changes to the list will not be saved while it is there."));
        QCOMPARE(window.controls().List1->count(), 0);
        window.controls().List1->addItem("/d/x.txt=/d/x_locked.txt");
        QVERIFY(!window.SaveBookmarks());
        QCOMPARE(readBytes(path), unreadable);
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList("bookmarked.txt"));
    }

    // Doubled separators in the list path beside the program collapse, except the two that
    // start a network folder ("//folder" is the same folder as "/folder" here).
    void bookmarkListPath() {
        StartedWindow w;
        const QString folder = w.program.path();
        setProgramFolderForTesting(folder + "/");
        QCOMPARE(w.window.BookmarkListPath(), folder + "/bookmarked.txt");
        setProgramFolderForTesting("/" + folder);
        QCOMPARE(w.window.BookmarkListPath(), "/" + folder + "/bookmarked.txt");
    }

    // Only the single-file frame follows the window's outer size, and never below zero.
    void resizeFitsOnlyTheSingleFileFrame() {
        StartedWindow w;
        w.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w.window));
        for (const QSize size : {QSize(1127, 637), QSize(30, 700), QSize(20, 20)}) {
            w.window.resize(size);
            QTRY_COMPARE(w.window.size(), size);
            const QSize outer = w.window.frameGeometry().size() * 15;
            QTRY_COMPARE(
                w.c.frContainer->geometry(),
                QRect(kFrame.topLeft(), QSize(qRound(std::max(0, outer.width() - 500) / 15.0),
                                              qRound(std::max(0, outer.height() - 3500) / 15.0))));
            QCOMPARE(w.c.frAutomated->geometry(), kFrame);
            QCOMPARE(w.c.cmdApply->geometry(), QRect(474, 330, 580, 64));
        }
    }

    // The inputs go off, the label blinks, "Please Read" still works, and stopping the indicator
    // while the label shows hides it.
    void pleaseWaitIndicator() {
        StartedWindow w;
        const MainControls& c = w.c;
        const std::initializer_list<QWidget*> inputs{
            c.cmdApply, c.cmdChangeOutputFilename, c.txtPassword, c.File1, c.Dir1, c.Drive1};
        w.window.show();
        w.window.PleaseWaitStart();
        QVERIFY(std::none_of(inputs.begin(), inputs.end(), [](auto* i) { return i->isEnabled(); }));
        // Exactly those six: the batch's controls, the links and the mode buttons stay usable.
        const std::initializer_list<QWidget*> others{c.txtPassword1,
                                                     c.List1,
                                                     c.cmdLockMultipleFiles,
                                                     c.cmdAddToAutomated,
                                                     c.Label1,
                                                     c.Label2,
                                                     c.lblRemoveSelectedItem,
                                                     c.lblRefresh,
                                                     c.lblOpenFolder,
                                                     c.vButton[0],
                                                     c.vButton[1],
                                                     c.vButton[2]};
        QVERIFY(std::all_of(others.begin(), others.end(), [](auto* i) { return i->isEnabled(); }));
        QTest::mouseClick(c.Label1, Qt::LeftButton);
        QCOMPARE(messagesShown(), QStringList("Info | 64 | " + kHelp));
        QTRY_VERIFY_WITH_TIMEOUT(c.lblPleaseWait->isVisible(), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(!c.lblPleaseWait->isVisible(), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(c.lblPleaseWait->isVisible(), 2000);
        w.window.PleaseWaitStop();
        QVERIFY(!c.tmrPleaseWait->isActive() && !c.lblPleaseWait->isVisible());
        w.window.EnableInputs(true);
        QVERIFY(std::all_of(inputs.begin(), inputs.end(), [](auto* i) { return i->isEnabled(); }));
    }

    // Activation re-reads the lists, as when the file name dialog closes.
    void activationRereadsTheLists() {
        StartedWindow w;
        QVERIFY(w.c.Dir1->setPath(w.program.path()));
        w.window.show();
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        frmFileName dialog(&w.window);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        writeBytes(w.program.file("while-dialog.txt"), "x");
        dialog.close();
        w.window.activateWindow(); // what the desktop does when the dialog goes
        QVERIFY(QTest::qWaitForWindowActive(&w.window));
        QTRY_COMPARE(itemTexts(*w.c.File1), QStringList("while-dialog.txt"));
    }
};

} // namespace

KELVANE_GUI_TEST(StartupTest);

} // namespace kelvane::test

#include "StartupTest.moc"
