#include "TestSupport.h"

#include "LongOperation.h"
#include "OutputFaults.h"
#include "Runtime.h"

#include <QRegularExpression>

namespace kelvane::test {

namespace {

// The two captions as the browser and the name dialog leave them, then "Add File to
// Bookmarked Files".
void bookmark(CommandWindow& w, const QString& from, const QString& to) {
    w.mode(0);
    w.c().lblFileFrom->setText(from);
    w.c().lblFileTo->setText(to);
    w.click(w.c().cmdAddToAutomated);
}

// Large enough for the run to let events through a few times.
QByteArray sampleBytesForBatch() {
    return QByteArray("0123456789abcdef").repeated(64 * 1024);
}

// Bookmarks a.txt (large enough to let events through a few times) and b.txt, each into its
// "_locked" name, and types the batch password "pw" in the Bookmarked Files mode.
void readyTwoEntryBatch(CommandWindow& w) {
    writeBytes(w.file("a.txt"), sampleBytesForBatch());
    writeBytes(w.file("b.txt"), "b");
    writeBytes(w.listFile(), listBytes({w.file("a.txt") + '=' + w.file("a_locked.txt"),
                                        w.file("b.txt") + '=' + w.file("b_locked.txt")}));
    w.restart();
    w.mode(2);
    CommandWindow::type(w.c().txtPassword1, "pw");
}

class BookmarkCommandsTest : public QObject {
    Q_OBJECT

private slots:
    // Each add is saved at once, and the list comes back after a restart, in order, whether or
    // not its files exist. Removing one entry needs a selection and leaves none; removing all
    // asks first, and a Yes saves the empty list even when the list was empty. A change that
    // could not be saved stays in the window and is reported instead.
    void editList() {
        const QString added("Action | 64 | Done. File added to bookmarks.");
        const QString refused("Action | 64 | A path that contains \"=\" cannot be bookmarked. "
                              "Please choose another file or output name.");
        const std::tuple<QString, QString, QString> steps[] = {
            {"", "", "Missing info | 64 | Please select a valid file."},
            {"/d/a=b.txt", "/d/a=b_locked.txt", refused},
            {"/d/a.txt", "/d/x=y", refused},
            {"/my.d/README", "/my.d/R.x", added},
            {"/d/a.txt", "/d/a_locked.txt", added},
            {"/d/A.txt", "/d/A_locked.txt", added},
            {"/d/a.txt", "/d/secret.bin", added},
            {"/d/a.txt", "/d/a_locked.txt", "Action | 64 | Bookmarked file already exists."}};
        CommandWindow w;
        for (const auto& [from, to, box] : steps) {
            MessageBoxes::clear();
            bookmark(w, from, to);
            QCOMPARE(messagesShown(), QStringList{box});
        }
        const QStringList items{"/my.d/README=/my.d/R.x", "/d/a.txt=/d/a_locked.txt",
                                "/d/A.txt=/d/A_locked.txt", "/d/a.txt=/d/secret.bin"};
        QCOMPARE(w.items(), items);
        QCOMPARE(w.c().List1->currentRow(), 1); // the duplicate stays selected
        QCOMPARE(readBytes(w.listFile()), listBytes(items));
        w.restart();
        QCOMPARE(w.items(), items);

        const QStringList three{items[0], items[2], items[3]};
        const QString confirm("Remove Bookmarks | 36 | Confirm action?");
        const QString noSelection("Ooops | 64 | Please select an item.");
        w.mode(2);
        writeBytes(w.listFile(), "as it was\n"); // nothing selected: nothing saved
        w.click(w.c().lblRemoveSelectedItem);
        QCOMPARE(readBytes(w.listFile()), QByteArray("as it was\n"));
        w.c().List1->setCurrentRow(1);
        w.click(w.c().lblRemoveSelectedItem);
        QCOMPARE(readBytes(w.listFile()), listBytes(three));
        w.click(w.c().lblRemoveSelectedItem);
        MessageBoxes::setNextAnswer(vbNo);
        w.click(w.c().Label2);
        QCOMPARE(w.items(), three);
        w.click(w.c().Label2);
        QCOMPARE(w.items(), QStringList{});
        writeBytes(w.listFile(), "stale\n");
        w.click(w.c().Label2);
        QCOMPARE(readBytes(w.listFile()), QByteArray());
        QCOMPARE(messagesShown(),
                 (QStringList{noSelection, noSelection, confirm, confirm, confirm}));

        // No program folder, and a file where the user's data folder would be made.
        setProgramFolderForTesting(w.program.file("missing"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(w.listFile()));
        const QString unwritable = w.listFile() + "/Kelvane/bookmarked.txt";
        MessageBoxes::clear();
        bookmark(w, "/d/a.txt", "/d/a_locked.txt");
        QCOMPARE(w.items(), QStringList{items[1]});
        w.c().List1->setCurrentRow(0);
        w.click(w.c().lblRemoveSelectedItem);
        w.click(w.c().Label2);
        const auto failed = [&](const QString& done) {
            return "Bookmarked Files | 48 | " + done +
                   ", but the bookmark list could not be saved to " +
                   QDir::toNativeSeparators(unwritable) + ". The list on disk is unchanged.";
        };
        QCOMPARE(messagesShown(),
                 (QStringList{failed("File added to bookmarks"), failed("Item removed"), confirm,
                              failed("All items removed")}));
        QCOMPARE(readBytes(w.listFile()), QByteArray());
    }

    // Only the outputs the user agreed to replace are replaced: a file that appears at another
    // entry's output while the batch runs fails that entry and stays as it was.
    void aFileThatAppearsDuringTheBatchIsNotReplaced() {
        CommandWindow w;
        readyTwoEntryBatch(w);
        QTimer appear;
        QObject::connect(&appear, &QTimer::timeout, [&] {
            if (LongOperation::running() && w.c().List1->currentRow() == 0 &&
                !QFile::exists(w.file("b_locked.txt"))) {
                writeBytes(w.file("b_locked.txt"), "someone else's");
            }
        });
        appear.start(0);
        LongOperation::setEventInterval(0);
        w.click(w.c().cmdLockMultipleFiles);
        LongOperation::setEventInterval(20);
        QCOMPARE(messagesShown(),
                 QStringList("Done | 48 | Done. Process complete.\n\nLocked 1 of 2 files.\n\n"
                             "Failed:\n" +
                             QDir::toNativeSeparators(w.file("b.txt")) + ": The output " +
                             w.file("b_locked.txt") + " already exists."));
        QCOMPARE(readBytes(w.file("b_locked.txt")), QByteArray("someone else's"));
        QCOMPARE(readBytes(w.file("a_locked.txt")), transformed(sampleBytesForBatch(), "pw"));
    }

    // The batch finishes in its own order: the inputs come back and the indicator stops before
    // the final message; the file list is re-read after it, and then shows the new files. A
    // source that vanishes while earlier entries are locked is skipped and named.
    void batchFinishesInOrderAndSkipsASourceThatVanished() {
        CommandWindow w;
        readyTwoEntryBatch(w);
        QTimer vanish;
        QObject::connect(&vanish, &QTimer::timeout, [&] {
            if (LongOperation::running() && w.c().List1->currentRow() == 0) {
                QFile::remove(w.file("b.txt"));
            }
        });
        vanish.start(0);
        QStringList atTheMessage;
        MessageBoxes::setOnShow([&](const MessageBoxes::Shown&) {
            atTheMessage << w.heldControls(false).join(',')
                         << (w.c().tmrPleaseWait->isActive() ? "blinking" : "still")
                         << (w.c().lblPleaseWait->isVisible() ? "shown" : "hidden")
                         << itemTexts(*w.c().File1).join(',');
        });
        LongOperation::setEventInterval(0);
        w.click(w.c().cmdLockMultipleFiles);
        LongOperation::setEventInterval(20);
        QCOMPARE(messagesShown(),
                 QStringList("Done | 48 | Done. Process complete.\n\nLocked 1 of 2 files.\n\n"
                             "Skipped:\n" +
                             QDir::toNativeSeparators(w.file("b.txt")) +
                             ": source file not found."));
        QCOMPARE(atTheMessage, (QStringList{"", "still", "hidden", "a.txt,b.txt"}));
        QCOMPARE(itemTexts(*w.c().File1), (QStringList{"a.txt", "a_locked.txt"}));
        QVERIFY(w.ready());
    }

    // A save whose data may not have reached the disk is a failed save: the old list stays
    // whole and the user is told.
    void aListThatCannotBeFlushedIsNotSaved() {
        for (const OutputCall call : {OutputCall::Write, OutputCall::Flush, OutputCall::Link}) {
            CommandWindow w;
            bookmark(w, "/d/a.txt", "/d/a_locked.txt");
            const QByteArray before = readBytes(w.listFile());
            MessageBoxes::clear();
            OutputFaults faults;
            faults.failAt(call, 1, EIO);
            bookmark(w, "/d/b.txt", "/d/b_locked.txt");
            QCOMPARE(
                messagesShown(),
                QStringList("Bookmarked Files | 48 | File added to bookmarks, but the bookmark "
                            "list could not be saved to " +
                            QDir::toNativeSeparators(w.listFile()) +
                            ". The list on disk is unchanged."));
            QCOMPARE(readBytes(w.listFile()), before);
            QCOMPARE(QDir(w.program.path()).entryList(QDir::Files | QDir::Hidden),
                     QStringList("bookmarked.txt"));
        }
    }

    // Sources a.txt, b.txt, c.txt and the empty e.dat in the data folder <d>; lists are joined
    // by ";". Every entry skipped or failed is named with its reason ("*": the system's words),
    // nothing is written at a path that was not bookmarked, and the list is kept as it was.
    void lockAll() {
        const QString done("Done | 64 | Done. Process complete.");
        const QString some("Done | 48 | Done. Process complete.\n\nLocked ");
        const QString bad(": not one source path and one output path joined by \"=\".");
        const QString charset(
            "Error | 48 | The password contains the character \"\u03a9\", "
            "which cannot be used in a password. Please choose another password.");
        const QString malformed(some + "1 of 5 files.\n\nSkipped:\n<d>/a.txt" + bad +
                                "\n<d>/a.txt=" + bad + "\n=<d>/a_locked.txt" + bad +
                                "\n<d>/a.txt=<d>/x=<d>/b.txt" + bad);
        const QString sameOutput(some +
                                 "1 of 3 files.\n\nSkipped:\n<d>/a.txt: the output is the "
                                 "source file itself.\n<d>/c.txt: an earlier bookmark writes "
                                 "the same output file.");
        const QString failed(some + "1 of 3 files.\n\nFailed:\n<d>/a.txt: *\n<d>/c.txt: *");
        const QString ask("Please confirm | 36 | %1 exist%2 and will be replaced. Is this ok?");
        const QString gone(some +
                           "3 of 4 files.\n\nSkipped:\n<d>/gone.txt: source file not found.");
        const char* four = "a.txt=a_locked.txt;gone.txt=gone_locked.txt;b.txt=b_locked.txt;"
                           "c.txt=c_locked.txt";
        const QString input(": the output is the file another bookmark locks, which would be "
                            "overwritten.");
        const QString chain(some + "1 of 4 files.\n\nSkipped:\n<d>/a.txt" + input + "\n<d>/c.txt" +
                            input + "\n<d>/x.txt: source file not found.");
        const QString cycle(some + "0 of 2 files.\n\nSkipped:\n<d>/a.txt" + input + "\n<d>/b.txt" +
                            input);
        const QString notFile(": the output is a folder, device, pipe or socket.");
        const QString special(some + "1 of 3 files.\n\nSkipped:\n<d>/a.txt" + notFile +
                              "\n<d>/c.txt" + notFile);
        // clang-format off
        const struct {
            const char* entries;
            const char* password;
            const char* existing; // outputs there before the run; "name>target": a link
            int answer;
            QStringList boxes;
            const char* locked; // the outputs written
        } rows[] = {
            {"", "", "", 0, {"No Files to Lock | 64 | There are no files to lock."}, ""},
            {"a.txt=a_locked.txt", "", "", 0,
             {"Missing info | 64 | Please enter a password for the files."}, ""},
            {"a.txt=a_locked.txt", "pw\u03a9", "", 0, {charset}, ""},
            {"a.txt=a_locked.txt;c.txt=renamed.bin;e.dat=e_locked.dat", "secret", "", 0, {done},
             "a_locked.txt;renamed.bin;e_locked.dat"},
            {"a.txt;a.txt=;=a_locked.txt;a.txt=x=b.txt;c.txt=c_locked.txt", "pw", "", 0,
             {malformed}, "c_locked.txt"},
            {"a.txt=./a.txt;b.txt=b_locked.txt;c.txt=./b_locked.txt", "pw", "", 0,
             {sameOutput}, "b_locked.txt"},
            {"a.txt=missing/a_locked.txt;b.txt=b_locked.txt;c.txt=a.txt/c_locked.txt", "pw", "", 0,
             {failed}, "b_locked.txt"},
            {four, "pw", "a_locked.txt;gone_locked.txt;b_locked.txt", vbNo,
             {ask.arg("2 target files", "")}, ""},
            {four, "pw", "c_locked.txt;gone_locked.txt", vbYes,
             {ask.arg("1 target file", "s"), gone}, "a_locked.txt;b_locked.txt;c_locked.txt"},
            {"a.txt=./b.txt;b.txt=b_locked.txt;c.txt=x.txt;x.txt=x_locked.txt", "pw", "", 0,
             {chain}, "b_locked.txt"},
            {"a.txt=b.txt;b.txt=a.txt", "pw", "", 0, {cycle}, ""},
            {"a.txt=/dev/null;b.txt=b_locked.txt;c.txt=.", "pw", "", 0, {special},
             "b_locked.txt"},
            {"a.txt=a_locked.txt;b.txt=b_locked.txt", "pw", "a_locked.txt>c.txt;b_locked.txt>n.txt",
             vbYes, {ask.arg("2 target files", ""), done}, "a_locked.txt;b_locked.txt"},
            {"a.txt=a_locked.txt;b.txt=b_locked.txt", "pw", "a_locked.txt>c.txt;b_locked.txt>n.txt",
             vbNo, {ask.arg("2 target files", "")}, ""},
        };
        // clang-format on
        for (const auto& row : rows) {
            CommandWindow w;
            const QString folder = QDir::toNativeSeparators(w.data.path()) + '/';
            Files expected;
            for (const QString source : {"a.txt", "b.txt", "c.txt", "e.dat"}) {
                expected[source] = source.repeated(source == "e.dat" ? 0 : 500).toUtf8();
                writeBytes(w.file(source), expected[source]);
            }
            for (const QString& output : QString(row.existing).split(';', Qt::SkipEmptyParts)) {
                const QStringList link = output.split('>');
                if (link.size() == 2) { // read through the link, or not at all when it dangles
                    QVERIFY(QFile::link(w.file(link[1]), w.file(link[0])));
                    expected[link[0]] = expected.value(link[1], "<unreadable>");
                } else {
                    writeBytes(w.file(output), expected[output] = "old");
                }
            }
            QStringList entries;
            for (const QString& entry : QString(row.entries).split(';', Qt::SkipEmptyParts)) {
                const QStringList paths = entry.split('=');
                if (QString(row.locked).split(';').contains(paths.last())) {
                    expected[paths.last()] = transformed(expected[paths.first()], row.password);
                }
                // Each path is put under the data folder.
                entries.append(
                    QString(entry).replace(QRegularExpression("(^|=)(?=[^=/])"), "\\1" + folder));
            }
            writeBytes(w.listFile(), listBytes(entries));
            w.restart();
            w.mode(2);
            CommandWindow::type(w.c().txtPassword1, row.password);
            MessageBoxes::setNextAnswer(row.answer);
            w.click(w.c().cmdLockMultipleFiles);

            QStringList shown = messagesShown();
            shown.replaceInStrings(QRegularExpression(": Cannot write [^\n]*"), ": *");
            QCOMPARE(shown, QStringList(row.boxes).replaceInStrings("<d>/", folder));
            QVERIFY2(w.files() == expected, qPrintable(shown.last()));
            QCOMPARE(w.items(), entries);
            QCOMPARE(readBytes(w.listFile()), listBytes(entries));
            if (shown.last().startsWith("Done")) { // the selection went down the whole list
                QCOMPARE(w.c().List1->currentRow(), entries.size() - 1);
            }
            QVERIFY(w.ready());
        }
    }
};

} // namespace

KELVANE_GUI_TEST(BookmarkCommandsTest);

} // namespace kelvane::test

#include "BookmarkCommandsTest.moc"
