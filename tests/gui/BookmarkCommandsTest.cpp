// SPDX-License-Identifier: MIT
#include "tests/gui/TestSupport.h"

namespace kelvane::test {

namespace {

const QString kAdded("Action | 64 | Done. File added to bookmarks.");
const QString kConfirm("Remove Bookmarks | 36 | Confirm action?");

// The two captions as the browser and the name dialog leave them, then "Add File to
// Bookmarked Files".
void bookmark(CommandWindow& w, const QString& from, const QString& to) {
    w.mode(0);
    w.c().lblFileFrom->setText(from);
    w.c().lblFileTo->setText(to);
    w.click(w.c().cmdAddToAutomated);
}

QString notSaved(const QString& done, const QString& list) {
    return "Bookmarked Files | 48 | " + done + ", but the bookmark list could not be saved to " +
           QDir::toNativeSeparators(list) + ". The list on disk is unchanged.";
}

class BookmarkCommandsTest : public QObject {
    Q_OBJECT

private slots:
    // Each add is saved at once, and the list comes back after a restart, in order, whether or
    // not its files exist. Removing one entry needs a selection and leaves none; removing all
    // asks first, and a Yes saves the empty list even when the list was empty. A change that
    // could not be saved (the data may not have reached the disk, or there is nowhere to save)
    // stays in the window and is reported; the list on disk stays whole.
    void editList() {
        const QString refused("Action | 64 | A path that contains \"=\" cannot be bookmarked. "
                              "Please choose another file or output name.");
        const QString noSelection("Ooops | 64 | Please select an item.");
        // clang-format off
        const std::tuple<QString, QString, QString> steps[] = {
            {"", "", "Missing info | 64 | Please select a valid file."},
            {"/d/a=b.txt", "/d/a=b_locked.txt", refused}, {"/d/a.txt", "/d/x=y", refused},
            {"/my.d/README", "/my.d/R.x", kAdded}, {"/d/a.txt", "/d/a_locked.txt", kAdded},
            {"/d/A.txt", "/d/A_locked.txt", kAdded}, {"/d/a.txt", "/d/secret.bin", kAdded},
            {"/d/a.txt", "/d/a_locked.txt", "Action | 64 | Bookmarked file already exists."}};
        // clang-format on
        CommandWindow w;
        QStringList boxes;
        for (const auto& [from, to, box] : steps) {
            bookmark(w, from, to);
            boxes << box;
        }
        QCOMPARE(messagesShown(), boxes);
        const QStringList items{"/my.d/README=/my.d/R.x", "/d/a.txt=/d/a_locked.txt",
                                "/d/A.txt=/d/A_locked.txt", "/d/a.txt=/d/secret.bin"};
        QCOMPARE(w.c().List1->currentRow(), 1); // the duplicate stays selected
        QCOMPARE(readBytes(w.listFile()), listBytes(items));
        w.restart();
        QCOMPARE(w.items(), items);

        w.mode(2);
        writeBytes(w.listFile(), "as it was\n"); // nothing selected: nothing saved
        w.click(w.c().lblRemoveSelectedItem);
        QCOMPARE(readBytes(w.listFile()), QByteArray("as it was\n"));
        w.c().List1->setCurrentRow(1);
        w.click(w.c().lblRemoveSelectedItem);
        QCOMPARE(readBytes(w.listFile()), listBytes({items[0], items[2], items[3]}));
        w.click(w.c().lblRemoveSelectedItem);
        MessageBoxes::setNextAnswer(vbNo);
        w.click(w.c().Label2);
        QCOMPARE(w.items().size(), 3);
        w.click(w.c().Label2);
        writeBytes(w.listFile(), "stale\n");
        w.click(w.c().Label2);
        QCOMPARE(readBytes(w.listFile()), QByteArray());
        QCOMPARE(messagesShown(),
                 (QStringList{noSelection, noSelection, kConfirm, kConfirm, kConfirm}));
        MessageBoxes::clear();

        for (const OutputCall call : {OutputCall::Write, OutputCall::Flush, OutputCall::Link}) {
            OutputFaults faults;
            faults.failAt(call, 1, EIO);
            bookmark(w, "/d/" + QString::number(int(call)) + ".txt", "/d/b_locked.txt");
        }
        QCOMPARE(messagesShown(),
                 QStringList(3, notSaved("File added to bookmarks", w.listFile())));
        MessageBoxes::clear();
        QCOMPARE(readBytes(w.listFile()), QByteArray());
        QCOMPARE(QDir(w.program.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"bookmarked.txt", "kelvane-portable"}));
        // No program folder, and a file where the user's data folder would be made.
        setProgramFolderForTesting(w.program.file("missing"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(w.listFile()));
        const QString nowhere = w.listFile() + "/Kelvane/bookmarked.txt";
        w.c().List1->setCurrentRow(0);
        w.click(w.c().lblRemoveSelectedItem);
        w.click(w.c().Label2);
        QCOMPARE(messagesShown(), (QStringList{notSaved("Item removed", nowhere), kConfirm,
                                               notSaved("All items removed", nowhere)}));
        QCOMPARE(readBytes(w.listFile()), QByteArray());
    }

    // An installed program keeps the list in the user's data folder: the first save makes it,
    // and the list survives a restart. The system's starting list is read (or reported when it
    // cannot be) until the user's own list exists, and is never written; nothing is read from
    // or written beside the program.
    void installedProgramKeepsTheListInTheUsersFolder() {
        for (const QByteArray& starting : {QByteArray("/d/s.txt=/d/s_locked.txt\n"),
                                           QByteArray("/d/a.txt=/d/a_locked.txt\n\0", 26)}) {
            CommandWindow w;
            w.program.installed();
            const QString startingList = w.program.startingListFile();
            QVERIFY(QDir().mkpath(QFileInfo(startingList).path()));
            writeBytes(startingList, starting);
            writeBytes(w.listFile(), "/d/beside.txt=/d/beside_locked.txt\n");
            w.restart();
            const bool readable = !starting.contains('\0');
            QCOMPARE(w.items(), readable ? QStringList{"/d/s.txt=/d/s_locked.txt"} : QStringList{});
            QCOMPARE(messagesShown(),
                     readable
                         ? QStringList{}
                         : QStringList{"Bookmarked Files | 48 | The bookmark list " + startingList +
                                       " could not be read (the file is not a text file). It "
                                       "is left as it is, and the list starts empty."});
            QCOMPARE(w.window->BookmarkListPath(), w.program.userListFile());
            bookmark(w, "/d/a.txt", "/d/a_locked.txt");
            const QStringList saved = w.items();
            QCOMPARE(readBytes(w.program.userListFile()), listBytes(saved));
            w.restart();
            QCOMPARE(w.items(), saved);
            w.mode(2);
            w.click(w.c().Label2); // an empty list of the user's own: the starting list is done
            w.restart();
            QCOMPARE(w.items(), QStringList{});
            QCOMPARE(readBytes(startingList), starting);
            QCOMPARE(readBytes(w.listFile()), QByteArray("/d/beside.txt=/d/beside_locked.txt\n"));
        }
    }

    // Sources a.txt (large enough for the run to let events through), b.txt, c.txt and the empty
    // e.dat in the data folder <d>; lists are joined by ";". Every entry skipped or failed is named
    // with its reason ("*": the system's words), nothing is written at a path that was not
    // bookmarked, and the list is kept as it was. Each entry is checked again when its turn
    // comes: meanwhile a source may have vanished, or a file appeared at an output. The batch
    // finishes in its own order: the inputs come back and the indicator stops before any message,
    // and the file list is re-read after the last one.
    void lockAll() {
        const QString some("Done | 48 | Done. Process complete.\n\nLocked ");
        const QString bad(": not one source path and one output path joined by \"=\".");
        const QString input(": the output is the file another bookmark locks, which would be "
                            "overwritten.");
        const QString notFile(": the output is a folder, device, pipe or socket.");
        const QString ask("Please confirm | 36 | %1 exist%2 and will be replaced. Is this ok?");
        const char* four = "a.txt=a_locked.txt;gone.txt=gone_locked.txt;b.txt=b_locked.txt;"
                           "c.txt=c_locked.txt";
        // clang-format off
        const struct {
            const char* entries;
            const char* password;
            const char* existing; // outputs there before the run; "name>target": a link
            int answer;
            QStringList boxes;
            const char* locked; // the outputs written
            bool meanwhile = false; // while a.txt is locked, b.txt goes, c_locked.txt appears
        } rows[] = {
            {"", "", "", 0, {"No Files to Lock | 64 | There are no files to lock."}, ""},
            {"a.txt=a_locked.txt", "", "", 0,
             {"Missing info | 64 | Please enter a password for the files."}, ""},
            {"a.txt=a_locked.txt", "pw\u03a9", "", 0, {"Error | 48 | The password contains the "
             "character \"\u03a9\", which cannot be used in a password. Please choose another "
             "password."}, ""},
            {"a.txt=a_locked.txt;c.txt=renamed.bin;e.dat=e_locked.dat", "secret", "", 0, {kDone},
             "a_locked.txt;renamed.bin;e_locked.dat"},
            {"a.txt;a.txt=;=a_locked.txt;a.txt=x=b.txt;c.txt=c_locked.txt", "pw", "", 0,
             {some + "1 of 5 files.\n\nSkipped:\n<d>/a.txt" + bad + "\n<d>/a.txt=" + bad +
              "\n=<d>/a_locked.txt" + bad + "\n<d>/a.txt=<d>/x=<d>/b.txt" + bad}, "c_locked.txt"},
            {"a.txt=./a.txt;b.txt=b_locked.txt;c.txt=./b_locked.txt", "pw", "", 0,
             {some + "1 of 3 files.\n\nSkipped:\n<d>/a.txt: the output is the source file itself."
              "\n<d>/c.txt: an earlier bookmark writes the same output file."}, "b_locked.txt"},
            {"a.txt=missing/a_locked.txt;b.txt=b_locked.txt;c.txt=a.txt/c_locked.txt", "pw", "", 0,
             {some + "1 of 3 files.\n\nFailed:\n<d>/a.txt: *\n<d>/c.txt: *"}, "b_locked.txt"},
            {four, "pw", "a_locked.txt;gone_locked.txt;b_locked.txt", vbNo,
             {ask.arg("2 target files", "")}, ""},
            {four, "pw", "c_locked.txt;gone_locked.txt", vbYes,
             {ask.arg("1 target file", "s"), some + "3 of 4 files.\n\nSkipped:\n<d>/gone.txt: "
              "source file not found."}, "a_locked.txt;b_locked.txt;c_locked.txt"},
            {"a.txt=./b.txt;b.txt=b_locked.txt;c.txt=x.txt;x.txt=x_locked.txt", "pw", "", 0,
             {some + "1 of 4 files.\n\nSkipped:\n<d>/a.txt" + input + "\n<d>/c.txt" + input +
              "\n<d>/x.txt: source file not found."}, "b_locked.txt"},
            {"a.txt=b.txt;b.txt=a.txt", "pw", "", 0,
             {some + "0 of 2 files.\n\nSkipped:\n<d>/a.txt" + input + "\n<d>/b.txt" + input}, ""},
            {"a.txt=/dev/null;b.txt=b_locked.txt;c.txt=.;/=d_locked.txt", "pw", "", 0,
             {some + "1 of 4 files.\n\nSkipped:\n<d>/a.txt" + notFile + "\n<d>/c.txt" + notFile +
              "\n/: source file not found."}, "b_locked.txt"},
            {"a.txt=a_locked.txt;b.txt=b_locked.txt", "pw", "a_locked.txt>c.txt;b_locked.txt>n.txt",
             vbYes, {ask.arg("2 target files", ""), kDone}, "a_locked.txt;b_locked.txt"},
            {"a.txt=a_locked.txt;b.txt=b_locked.txt;c.txt=c_locked.txt", "pw", "", 0,
             {some + "1 of 3 files.\n\nSkipped:\n<d>/b.txt: source file not found.\n\nFailed:\n"
              "<d>/c.txt: The output <d>/c_locked.txt already exists."}, "a_locked.txt", true},
        };
        // clang-format on
        for (const auto& row : rows) {
            CommandWindow w;
            const QString folder = QDir::toNativeSeparators(w.data.path()) + '/';
            Files expected{{"a.txt", QByteArray("a.txt").repeated(50'000)},
                           {"e.dat", ""},
                           {"b.txt", QByteArray("b.txt").repeated(500)},
                           {"c.txt", QByteArray("c.txt").repeated(500)}};
            for (const auto& [source, bytes] : expected.asKeyValueRange()) {
                writeBytes(w.file(source), bytes);
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
            w.restartWithList(entries);
            w.activate(); // the lists are re-read now, not during the run
            w.mode(2);
            QTimer meanwhile;
            QObject::connect(&meanwhile, &QTimer::timeout, [&] {
                if (row.meanwhile && LongOperation::running() && QFile::remove(w.file("b.txt"))) {
                    writeBytes(w.file("c_locked.txt"), expected["c_locked.txt"] = "someone else's");
                    expected.remove("b.txt");
                }
            });
            meanwhile.start(0);
            const QStringList listed = itemTexts(*w.c().File1);
            QStringList atMessages;
            MessageBoxes::setOnShow([&](const MessageBoxes::Shown&) {
                atMessages << QString(w.settled() ? "" : "busy") +
                                  (itemTexts(*w.c().File1) == listed ? "" : "re-read");
            });
            MessageBoxes::setNextAnswer(row.answer);
            CommandWindow::type(w.c().txtPassword1, row.password);
            LongOperation::setEventInterval(0);
            QTest::keyClick(w.c().txtPassword1, Qt::Key_Return); // as a click on the batch's button
            LongOperation::setEventInterval(20);

            QStringList shown = messagesShown();
            shown.replaceInStrings(QRegularExpression(": Cannot write [^\n]*"), ": *");
            QCOMPARE(shown, QStringList(row.boxes).replaceInStrings("<d>/", folder));
            QVERIFY2(w.files() == expected, qPrintable(shown.last()));
            QCOMPARE(atMessages, QStringList(shown.size(), ""));
            QCOMPARE(itemTexts(*w.c().File1), QDir(w.data.path()).entryList(QDir::Files));
            QCOMPARE(w.items(), entries);
            // After a run the selection has gone down the whole list.
            QVERIFY(!shown.last().startsWith("Done") ||
                    w.c().List1->currentRow() == entries.size() - 1);
            QVERIFY(w.ready());
        }
    }
};

} // namespace

KELVANE_GUI_TEST(BookmarkCommandsTest);

} // namespace kelvane::test

#include "BookmarkCommandsTest.moc"
