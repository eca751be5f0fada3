// SPDX-License-Identifier: MIT
#include "tests/gui/TestSupport.h"

#include "window/BookmarkListFile.h"

#include <QProcess>

namespace kelvane::test {

namespace {

const Box kAdded{"Action", vbInformation, "Done. File added to bookmarks."};

// The two captions as the browser and the name dialog leave them, then "Add File to
// Bookmarked Files".
void bookmark(const MainControls& c, const QString& from, const QString& to) {
    QTest::mouseClick(c.lblLockFile[0], Qt::LeftButton);
    c.lblFileFrom->setText(from);
    c.lblFileTo->setText(to);
    QTest::mouseClick(c.cmdAddToAutomated, Qt::LeftButton);
}

Box notSaved(const QString& done, const QString& list) {
    return {"Bookmarked Files", vbExclamation,
            done + ", but the bookmark list could not be saved to " +
                QDir::toNativeSeparators(list) + ". The list on disk is unchanged."};
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
        const Box refused{"Action", vbInformation,
                          "A path that contains \"=\" cannot be bookmarked. Please choose another "
                          "file or output name."};
        // clang-format off
        const struct { QString from, to; Box box; } steps[] = {
            {"", "", {"Missing info", vbInformation, "Please select a valid file."}},
            {"/d/a=b.txt", "/d/a=b_locked.txt", refused}, {"/d/a.txt", "/d/x=y", refused},
            {"/my.d/README", "/my.d/R.x", kAdded}, {"/d/a.txt", "/d/a_locked.txt", kAdded},
            {"/d/A.txt", "/d/A_locked.txt", kAdded}, {"/d/a.txt", "/d/secret.bin", kAdded},
            {"/d/a.txt", "/d/a_locked.txt", {"Action", vbInformation, "Bookmarked file already exists."}}};
        // clang-format on
        CommandWindow w;
        Boxes boxes;
        for (const auto& step : steps) {
            bookmark(w.c(), step.from, step.to);
            boxes << step.box;
        }
        QCOMPARE(messagesShown(), boxes);
        const QStringList items{"/my.d/README=/my.d/R.x", "/d/a.txt=/d/a_locked.txt",
                                "/d/A.txt=/d/A_locked.txt", "/d/a.txt=/d/secret.bin"};
        QCOMPARE(w.c().List1->currentRow(), 1); // the duplicate stays selected
        QCOMPARE(readBytes(w.listFile()), listBytes(items));
        w.restart();
        QCOMPARE(w.items(), items);

        w.mode(2);
        w.c().List1->setCurrentRow(1);
        w.click(w.c().lblRemoveSelectedItem);
        const QStringList left{items[0], items[2], items[3]};
        QCOMPARE(readBytes(w.listFile()), listBytes(left));
        QCOMPARE(w.items(), left);
        w.click(w.c().lblRemoveSelectedItem);
        MessageBoxes::setNextAnswer(vbNo);
        w.click(w.c().Label2);
        QCOMPARE(w.items(), left);
        w.click(w.c().Label2);
        writeBytes(w.listFile(), "stale\n");
        w.click(w.c().Label2);
        QCOMPARE(readBytes(w.listFile()), QByteArray());
        QCOMPARE(messagesShown(), (Boxes{kNoSelection, kConfirm, kConfirm, kConfirm}));
        MessageBoxes::clear();

        for (const OutputCall call : {OutputCall::Write, OutputCall::Flush, OutputCall::Link}) {
            OutputFaults faults;
            faults.failAt(call, 1, EIO);
            bookmark(w.c(), "/d/" + QString::number(int(call)) + ".txt", "/d/b_locked.txt");
        }
        QCOMPARE(messagesShown(), Boxes(3, notSaved("File added to bookmarks", w.listFile())));
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
        QCOMPARE(messagesShown(), (Boxes{notSaved("Item removed", nowhere), kConfirm,
                                         notSaved("All items removed", nowhere)}));
        QCOMPARE(readBytes(w.listFile()), QByteArray());
    }

    // The command line changes the list while the window is open: the window shows a change at
    // once on F5, and without being asked, its selection staying on its entry; its own next
    // change keeps every change made elsewhere.
    void sharedList() {
        const auto entry = [](const char* name) {
            return QStringLiteral("/d/%1.txt=/d/%1_locked.txt").arg(name);
        };
        CommandWindow w;
        const QString cli = w.program.file("kelvane-cli");
        QVERIFY(QFile::copy(KELVANE_CLI_PATH, cli));
        // Adds or removes the bookmark of /d/<name>.txt; no event is handled meanwhile.
        const auto elsewhere = [&](const char* command, const char* name) {
            QProcess process;
            process.start(cli, {"bookmarks", command, "/d/" + QString(name) + ".txt"});
            QVERIFY(process.waitForFinished(20000));
            QCOMPARE(process.exitCode(), 0);
        };
        w.activate(); // for F5
        bookmark(w.c(), "/d/a.txt", "/d/a_locked.txt");
        bookmark(w.c(), "/d/b.txt", "/d/b_locked.txt");
        w.mode(2);
        w.c().List1->setCurrentRow(1);
        elsewhere("add", "c");
        QTest::keyClick(w.window.get(), Qt::Key_F5);
        QCOMPARE(w.items(), (QStringList{entry("a"), entry("b"), entry("c")}));
        elsewhere("remove", "a");
        QTRY_COMPARE(w.items(), (QStringList{entry("b"), entry("c")}));
        QCOMPARE(w.c().List1->currentItem()->text(), entry("b"));
        QVERIFY(w.c().List1->currentItem()->isSelected());
        bookmark(w.c(), "/d/d.txt", "/d/d_locked.txt");
        QCOMPARE(readBytes(w.listFile()), listBytes({entry("b"), entry("c"), entry("d")}));
        // A second window edits the same list: each window keeps the other's changes.
        frmMain second;
        attachCommandSets(second);
        second.Form_Load();
        const MainControls& s = second.controls();
        bookmark(s, "/d/e.txt", "/d/e_locked.txt");
        QTRY_COMPARE(w.items(), (QStringList{entry("b"), entry("c"), entry("d"), entry("e")}));
        w.c().List1->setCurrentRow(0);
        w.click(w.c().lblRemoveSelectedItem);
        QTRY_COMPARE(itemTexts(*s.List1), (QStringList{entry("c"), entry("d"), entry("e")}));
        QCOMPARE(readBytes(w.listFile()), listBytes({entry("c"), entry("d"), entry("e")}));
        MessageBoxes::clear();
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
            const QString after = "It is left as it is, and the list starts empty.";
            QCOMPARE(messagesShown(), boxesIf(!readable, unreadableList(startingList, after)));
            bookmark(w.c(), "/d/a.txt", "/d/a_locked.txt");
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
    // e.dat in the data folder. Every entry skipped or failed is named with its reason, nothing is
    // written at a path that was not bookmarked, and the list is kept as it was. Each entry is
    // checked again when its turn comes: meanwhile a source may have vanished, or a file appeared
    // at an output. The batch finishes in its own order: the inputs come back and the indicator
    // stops before any message, and the file list is re-read after the last one.
    void lockAll() {
        CommandWindow w;
        const QString d = w.data.path() + '/';
        // The report of a batch that locked `locked` of `total` entries; each other entry is
        // named with its reason.
        const auto report = [](int locked, int total, const QStringList& skipped,
                               const QStringList& failed = {}) {
            const QString text = "Done. Process complete.\n\nLocked %1 of %2 files.\n\nSkipped:\n";
            return Box{"Done", vbExclamation,
                       text.arg(locked).arg(total) + skipped.join('\n') +
                           (failed.isEmpty() ? "" : "\n\nFailed:\n" + failed.join('\n'))};
        };
        const Box askTwo{"Please confirm", vbYesNo + vbQuestion,
                         "2 target files exist and will be replaced. Is this ok?"};
        const QString bad(": not one source path and one output path joined by \"=\".");
        const QString notFile(": the output is a folder, device, pipe or socket.");
        // clang-format off
        // `existing`: outputs there before the run, each a link to a file or, with no file named,
        // a file holding "old"; `written`: each new output with its source; `meanwhile`: while
        // a.txt is locked, b.txt goes and c_locked.txt appears.
        const struct { QStringList list; QString password; QMap<QString, QString> existing; int answer; Boxes boxes;
                       QMap<QString, QString> written; bool meanwhile = false; } rows[] = {
            {{}, "", {}, 0, {{"No Files to Lock", vbInformation, "There are no files to lock."}}, {}},
            {{w.entry("a.txt", "a_locked.txt")}, "", {}, 0,
             {{"Missing info", vbInformation, "Please enter a password for the files."}}, {}},
            {{w.entry("a.txt", "a_locked.txt")}, "pw\u03a9", {}, 0, {{"Error", vbExclamation, "The password "
             "contains the character \"\u03a9\", which cannot be used in a password. Please choose "
             "another password."}}, {}},
            // Outputs that are links are replaced, not written through, a dangling one too.
            {{w.entry("a.txt", "a_locked.txt"), w.entry("b.txt", "renamed.bin"), w.entry("e.dat", "e_locked.dat")},
             "secret", {{"a_locked.txt", "c.txt"}, {"e_locked.dat", "n.txt"}}, vbYes, {askTwo, kDone},
             {{"a_locked.txt", "a.txt"}, {"renamed.bin", "b.txt"}, {"e_locked.dat", "e.dat"}}},
            {{d + "a.txt", d + "a.txt=", "=" + d + "a_locked.txt", w.entry("a.txt", "x=" + d + "b.txt"),
              w.entry("a.txt", "./b.txt"), w.entry("b.txt", "b_locked.txt"), w.entry("x.txt", "x_locked.txt")},
             "pw", {}, 0,
             {report(1, 7, {d + "a.txt" + bad, d + "a.txt=" + bad, "=" + d + "a_locked.txt" + bad,
                            w.entry("a.txt", "x=" + d + "b.txt") + bad,
                            d + "a.txt: the output is the file another bookmark locks, which would be overwritten.",
                            d + "x.txt: source file not found."})},
             {{"b_locked.txt", "b.txt"}}},
            {{w.entry("a.txt", "a_locked.txt"), w.entry("gone.txt", "gone_locked.txt"), w.entry("b.txt", "b_locked.txt")}, "pw", {{"a_locked.txt", ""}, {"gone_locked.txt", ""}, {"b_locked.txt", ""}}, vbNo,
             {askTwo}, {}},
            {{d + "a.txt=/dev/null", w.entry("b.txt", "b_locked.txt"), w.entry("c.txt", "."),
              "/=" + d + "d_locked.txt"}, "pw", {}, 0,
             {report(1, 4, {d + "a.txt" + notFile, d + "c.txt" + notFile, "/: source file not found."})},
             {{"b_locked.txt", "b.txt"}}},
            {{w.entry("a.txt", "a_locked.txt"), w.entry("b.txt", "b_locked.txt"), w.entry("c.txt", "c_locked.txt")},
             "pw", {}, 0,
             {report(1, 3, {d + "b.txt: source file not found."},
                     {d + "c.txt: The output " + d + "c_locked.txt already exists."})},
             {{"a_locked.txt", "a.txt"}}, true},
        };
        // clang-format on
        for (const auto& row : rows) {
            QVERIFY(QDir(w.data.path()).removeRecursively() && QDir().mkpath(w.data.path()));
            Files expected{{"a.txt", QByteArray("a.txt").repeated(50'000)},
                           {"e.dat", ""},
                           {"b.txt", QByteArray("b.txt").repeated(500)},
                           {"c.txt", QByteArray("c.txt").repeated(500)}};
            w.write(expected);
            for (const auto& [name, linkTo] : row.existing.asKeyValueRange()) {
                if (linkTo.isEmpty()) {
                    writeBytes(w.file(name), expected[name] = "old");
                } else { // read through the link, or not at all
                    QVERIFY(QFile::link(w.file(linkTo), w.file(name)));
                    expected[name] = expected.value(linkTo, "<unreadable>");
                }
            }
            for (const auto& [output, source] : row.written.asKeyValueRange()) {
                expected[output] = transformed(expected[source], row.password);
            }
            w.restartWithList(row.list);
            w.activate(); // the lists are re-read now, not during the run
            w.mode(2);
            // Meanwhile another program also adds a bookmark: the list holds still under the
            // batch and shows the new entry once the batch is over.
            QStringList listAfter = row.list;
            QTimer meanwhile;
            QObject::connect(&meanwhile, &QTimer::timeout, [&] {
                if (row.meanwhile && w.running() && QFile::remove(w.file("b.txt"))) {
                    writeBytes(w.file("c_locked.txt"), expected["c_locked.txt"] = "someone else's");
                    expected.remove("b.txt");
                    writeBytes(w.listFile(), listBytes(listAfter << w.entry("o.txt", "o.locked")));
                    w.window->bookmarks().reload(); // as the file watcher does
                    QCOMPARE(w.items(), row.list);
                }
            });
            meanwhile.start(0);
            const QStringList listed = itemTexts(*w.c().File1);
            MessageBoxes::setOnShow([&](const MessageBoxes::Shown&) { // not yet re-read
                QVERIFY(w.settled());
                QCOMPARE(itemTexts(*w.c().File1), listed);
            });
            w.run(true, row.password, row.answer, true);

            const Boxes shown = messagesShown();
            QCOMPARE(shown, row.boxes);
            QVERIFY2(w.files() == expected, qPrintable(shown.last().prompt));
            QCOMPARE(itemTexts(*w.c().File1), QDir(w.data.path()).entryList(QDir::Files));
            QTRY_COMPARE(w.items(), listAfter);
            // After a run the selection has gone down the whole list.
            QVERIFY(!shown.last().prompt.startsWith("Done") ||
                    w.c().List1->currentRow() == row.list.size() - 1);
            QVERIFY(w.ready());
        }
    }
};

} // namespace

KELVANE_GUI_TEST(BookmarkCommandsTest);

} // namespace kelvane::test

#include "BookmarkCommandsTest.moc"
