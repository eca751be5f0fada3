// SPDX-License-Identifier: MIT
#include "tests/gui/TestSupport.h"

namespace kelvane::test {

namespace {

// How the file name dialog is closed.
enum Close { Ok, Enter, Cancel, Esc };

class SingleFileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    // A click on a mode's caption label or on its frame button sets the captions, collapses
    // the other buttons, shows the mode's frame, carries the password over and derives the
    // output again (the lock rule in Lock File only). Bookmarked Files keeps the captions and
    // the add button of the single-file mode before it.
    void modeTable_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<bool>("onFrameButton");
        QTest::addColumn<bool>("lockCaptions"); // and the add button shown
        QTest::addRow("unlock to lock") << 1 << 0 << false << true;
        QTest::addRow("lock to unlock") << 0 << 1 << false << false;
        QTest::addRow("unlock to bookmarks") << 1 << 2 << false << false;
        QTest::addRow("bookmarks to lock, frame button") << 2 << 0 << true << true;
        QTest::addRow("unlock again") << 1 << 1 << false << false;
    }
    void modeTable() {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(bool, onFrameButton);
        QFETCH(bool, lockCaptions);
        const QStringList lock{"File to Lock", "New File (Locked) will Be Saved as:",
                               "Lock File with the Following Password:", "Lock File"};
        const QStringList unlock{"File to Unlock", "New File (Unlocked) will Be Saved as:",
                                 "Password to Unlock the File:", "Unlock File"};
        CommandWindow w;
        const MainControls& c = w.c();
        w.write("report.txt", "r");
        QVERIFY(c.File1->setFileName("report.txt")); // selected without a click
        w.mode(from);
        c.txtPassword->setText("single");
        c.txtPassword1->setText("batch");
        onFrameButton ? QTest::mouseClick(c.vButton[to], Qt::LeftButton, {}, QPoint(3, 3))
                      : w.mode(to);
        QCOMPARE((QList<bool>{c.vButton[0]->Collapsed(), c.vButton[1]->Collapsed(),
                              c.vButton[2]->Collapsed(), c.frContainer->isHidden(),
                              c.frAutomated->isHidden(), c.cmdAddToAutomated->isHidden()}),
                 (QList<bool>{to != 0, to != 1, to != 2, to == 2, to != 2, !lockCaptions}));
        const QString password = to == 2 ? "single" : "batch";
        QCOMPARE((QStringList{c.lblFileFrom_Caption->text(), c.lblFileTo_Caption->text(),
                              c.lblFilePassword_Caption->text(), c.cmdApply->text(),
                              c.txtPassword->text(), c.txtPassword1->text(), c.lblFileTo->text()}),
                 ((lockCaptions ? lock : unlock) +
                  QStringList{password, password,
                              w.file(to == 0 ? "report_locked.txt" : "report_unlocked.txt")}));
    }

    // Every check in its order, each stopping the command with its message before the window
    // is busy and with nothing written. Enter in the password box presses cmdApply. A run locks
    // or unlocks the selected file into the output shown, lists it, and leaves the window ready,
    // also when it fails; a failure keeps its message and gives the engine's reason as the
    // detailed text. An existing output is replaced only with the user's consent, and a link in
    // its place is not written through. When the folder cannot be flushed once the new file has
    // its name, the run is not reported done: the message names the file, which stays since it
    // is complete; a file system without folder flushes is no fault.
    void apply() {
        // clang-format off
        const Box complete{"Missing info", vbInformation, "Please complete all the fields."};
        const QString somethingFailed = "Something failed. Please notice that if you are trying to lock files in a root drive "
            "(like c:), then the process may not be completed for security reasons. Please try locating your files inside a folder.";
        const Box special{"Error", vbExclamation, "The new file would take the place of a folder, device, pipe or socket. "
                          "Please choose another name for the new file."};
        // clang-format on
        const QString longPassword = QString("pass-word-").repeated(4000); // over 32,767
        const QByteArray vector = QByteArray::fromHex("ac247fa1764b16");
        const QByteArray chunks = QByteArray("0123456789abcdef").repeated(37'500);
        const QByteArray locked = transformed(chunks, "pw");
        const Files sources{
            {"report.txt", chunks}, {"my.docs/README", "content"}, {"old.txt", "old"},
            {"vector.txt", vector}, {"chunks_locked.txt", locked}, {"empty.txt", ""}};
        CommandWindow w;
        const QString target = w.file("report_locked.txt");
        const auto failed = [&](const QString& path, const QString& reason) {
            return Box{"Error", vbExclamation, somethingFailed,
                       "Cannot write " + w.file(path) + ": " + reason};
        };
        // clang-format off
        const Box unconfirmed{"Error", vbExclamation, "The new file " + target + " was saved, but the disk could not confirm it. "
                              "Please check the disk before you rely on the new file.",
                              "The output " + target + " is complete, but its folder could not be flushed to disk: "
                              "Input/output error. The new name may not survive a crash."};
        // clang-format on
        enum Setup { None, Deleted, ExistingNo, ExistingLink, DanglingLink };
        // clang-format off
        // `output` is put in place of the derived one; `written` is what the output then holds.
        const struct { Setup setup; const char* select; const char* output; QString password; Boxes boxes;
                       std::optional<QByteArray> written; OutputCall fails = OutputCall::Count; int error = 0; } rows[] = {
            {None, "vector.txt", nullptr, "Password123", {kDone}, QByteArray::fromHex("d7ab32b3836088")},
            {None, "chunks_locked.txt", nullptr, "pw", {kDone}, chunks},
            {None, "empty.txt", nullptr, "pw", {kDone}, ""},
            {None, "", nullptr, "", {{"Missing info", vbInformation, "Please select a valid file."}}, {}},
            {None, "report.txt", nullptr, "", {complete}, {}},
            {None, "report.txt", "", "pw", {complete}, {}},
            {Deleted, "report.txt", nullptr, "pw", {{"Error", vbInformation, "Source file does not exist."}}, {}},
            {None, "report.txt", nullptr, "ab\u5bc6", {{"Error", vbExclamation, "The password contains the "
             "character \"\u5bc6\", which cannot be used in a password. Please choose another "
             "password."}}, {}},
            {None, "report.txt", "report.txt", "pw", {{"Error", vbExclamation, "The new file would replace the "
             "file to be processed itself. Please choose another name for the new file."}}, {}},
            {None, "report.txt", "no-such-folder/x.txt", "pw",
             {failed("no-such-folder/x.txt", "No such file or directory.")}, {}},
            {None, "report.txt", nullptr, "pw", {failed("report_locked.txt", "No space left on device.")},
             {}, OutputCall::Write, ENOSPC},
            {None, "report.txt", nullptr, "pw", {unconfirmed}, locked, OutputCall::FolderFlush, EIO},
            {None, "report.txt", nullptr, "pw", {kDone}, locked, OutputCall::FolderFlush, EINVAL},
            {ExistingNo, "report.txt", nullptr, "pw", {kReplace}, {}},
            {ExistingLink, "report.txt", nullptr, "pw", {kReplace, kDone}, locked},
            {DanglingLink, "report.txt", nullptr, "pw", {kReplace, kDone}, locked},
            {None, "report.txt", "/dev/null", "pw", {special}, {}},
            {None, "report.txt", "my.docs", "pw", {special}, {}},
            {None, "vector.txt", nullptr, longPassword, {kDone}, transformed(vector, longPassword)},
        };
        // clang-format on
        for (const auto& row : rows) {
            QVERIFY(QDir(w.data.path()).removeRecursively() && QDir().mkpath(w.data.path()));
            w.restart();
            if (row.setup == ExistingNo) {
                writeBytes(target, "old");
            } else if (row.setup >= ExistingLink) {
                QVERIFY(
                    QFile::link(w.file(row.setup == ExistingLink ? "old.txt" : "gone"), target));
            }
            w.write(sources);
            if (*row.select != 0) {
                w.browse(QFileInfo(w.file(row.select)).path());
                w.clickFile(QFileInfo(row.select).fileName());
            }
            if (row.output != nullptr) {
                w.c().lblFileTo->setText(
                    *row.output == 0 || *row.output == '/' ? row.output : w.file(row.output));
            }
            // A source that is gone when the command starts: deleted, and a folder in its place.
            QVERIFY(row.setup != Deleted || (QFile::remove(w.file("report.txt")) &&
                                             QDir(w.data.path()).mkdir("report.txt")));
            OutputFaults faults;
            faults.failAt(row.fails, 1, row.error);
            Files expected = w.files();
            const bool wentBusy =
                w.run(false, row.password, row.setup == ExistingNo ? vbNo : vbYes, true);

            QCOMPARE(messagesShown(), row.boxes);
            QCOMPARE(wentBusy, row.written || row.boxes.last().prompt == somethingFailed);
            QVERIFY(w.ready());
            const QString output = w.c().lblFileTo->text();
            if (row.written) {
                expected[QDir(w.data.path()).relativeFilePath(output)] = *row.written;
            }
            QVERIFY2(w.files() == expected, qPrintable(output));
            // The file list shows what is there now: the new file, not a vanished source.
            QCOMPARE(itemTexts(*w.c().File1), QDir(w.c().File1->Path()).entryList(QDir::Files));
        }
    }

    // The dialog offers the output's name; Ok or Enter takes a valid name, Cancel or Esc keeps
    // the old one, and an invalid name is refused with the dialog left open. The source lies in a
    // folder named like its output, and the browser has moved on: only the name part of the
    // output path is ever replaced.
    void fileNameDialog_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("close");
        QTest::addColumn<QString>("output"); // the output's name then; empty: refused
        QTest::addRow("Ok") << "notes.bin" << int(Ok) << "notes.bin";
        QTest::addRow("Enter") << "notes.bin" << int(Enter) << "notes.bin";
        QTest::addRow("Cancel") << "notes.bin" << int(Cancel) << "report_locked.txt";
        QTest::addRow("Esc") << "notes.bin" << int(Esc) << "report_locked.txt";
        QTest::addRow("no extension") << "report" << int(Ok) << "";
        QTest::addRow("a space") << "my report.txt" << int(Enter) << "";
        QTest::addRow("the folder's name") << "report.txt" << int(Ok) << "report.txt";
    }
    void fileNameDialog() {
        QFETCH(QString, typed);
        QFETCH(int, close);
        QFETCH(QString, output);
        CommandWindow w;
        w.write("report_locked.txt/report.txt", "x");
        w.browse(w.file("report_locked.txt"));
        w.clickFile("report.txt");
        w.browse(w.data.path());
        QStringList seen; // title, name offered, still open, text after closing
        QTimer::singleShot(0, w.window.get(), [&] {
            auto* dialog = qobject_cast<frmFileName*>(QApplication::activeModalWidget());
            QVERIFY(dialog != nullptr);
            const FileNameControls& d = dialog->controls();
            seen << dialog->windowTitle() << d.Text1->text();
            CommandWindow::type(d.Text1, typed);
            close == Ok || close == Cancel
                ? QTest::mouseClick(close == Ok ? d.cmdOk : d.cmdCancel, Qt::LeftButton)
                : QTest::keyClick(d.Text1, close == Enter ? Qt::Key_Return : Qt::Key_Escape);
            seen << (dialog->isVisible() ? "open" : "closed") << d.Text1->text();
            dialog->reject();
        });
        w.click(w.c().cmdChangeOutputFilename);
        QCOMPARE(seen, (QStringList{"Change Filename", "report_locked.txt",
                                    !output.isEmpty() ? "closed" : "open", typed}));
        QCOMPARE(messagesShown(),
                 boxesIf(output.isEmpty(), {"Missing Info", vbInformation,
                                            "Please enter a valid filename (must include an "
                                            "extension, no spaces and no rare characters."}));
        QCOMPARE(w.c().lblFileTo->text(),
                 w.file("report_locked.txt/" + (output.isEmpty() ? "report_locked.txt" : output)));
    }
};

} // namespace

KELVANE_GUI_TEST(SingleFileCommandsTest);

} // namespace kelvane::test

#include "SingleFileCommandsTest.moc"
