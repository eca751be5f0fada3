#include "SingleFileWindow.h"

#include "LongOperation.h"
#include "Modes.h"

#include <QFile>
#include <QSet>

namespace kelvane::test::singlefile {

namespace {

const QString kDone = "Done|64|Done. Process complete.";
const QString kConfirm =
    "Please confirm|36|Target file exists and will be deleted before going on. Is this ok?";
const QString kFailed =
    "Error|48|Something failed. Please notice that if you are trying to lock files in a root "
    "drive (like c:), then the process may not be completed for security reasons. Please try "
    "locating your files inside a folder.";
const QString kSelectFile = "Missing info|64|Please select a valid file.";
const QString kCompleteFields = "Missing info|64|Please complete all the fields.";
const QString kSourceMissing = "Error|64|Source file does not exist.";

QStringList entriesOf(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
}

enum Setup { NothingSelected, NoDot, NoDotDottedFolder, Selected, NoOutputPath, SourceDeleted };

class ApplyTest : public QObject {
    Q_OBJECT

private slots:
    void lockThenUnlock_data() {
        QTest::addColumn<QString>("password");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QByteArray>("locked"); // empty: computed in memory
        QTest::newRow("known answer") << "Password123" << QByteArray::fromHex("ac247fa1764b16")
                                      << QByteArray::fromHex("d7ab32b3836088");
        QTest::newRow("several chunks") << "secret" << sampleBytes(200'000) << QByteArray();
        QTest::newRow("0 bytes") << "p" << QByteArray() << QByteArray();
    }
    void lockThenUnlock() {
        QFETCH(QString, password);
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, locked);
        locked = locked.isEmpty() ? transformed(content, password) : locked;
        SingleFileWindow w;
        w.write("report.txt", content);

        w.clickFile("report.txt");
        w.typePassword(password);
        w.apply();
        QCOMPARE(shownBoxes(), QStringList{kDone});
        QCOMPARE(readBytes(w.file("report_locked.txt")), locked);
        QCOMPARE(w.listedFiles(), (QStringList{"report.txt", "report_locked.txt"}));
        QVERIFY(w.ready());

        MessageBoxes::clear();
        w.clickFile("report_locked.txt");
        w.typePassword(password);
        w.apply();
        QCOMPARE(shownBoxes(), QStringList{kDone});
        QCOMPARE(readBytes(w.file("report_unlocked.txt")), content);
        QCOMPARE(readBytes(w.file("report.txt")), content);
        QVERIFY(w.ready());
    }

    // The first failing check stops the command with its message and nothing written.
    void checksInOrder_data() {
        QTest::addColumn<int>("setup");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("box");
        QTest::newRow("nothing selected, no password") << int(NothingSelected) << "" << kSelectFile;
        QTest::newRow("no dot anywhere") << int(NoDot) << "pw" << kSelectFile;
        QTest::newRow("no dot in name, dotted folder") << int(NoDotDottedFolder) << "pw" << kDone;
        QTest::newRow("no password") << int(Selected) << "" << kCompleteFields;
        QTest::newRow("no output path") << int(NoOutputPath) << "pw" << kCompleteFields;
        QTest::newRow("source deleted, no password") << int(SourceDeleted) << "" << kCompleteFields;
        QTest::newRow("source deleted") << int(SourceDeleted) << "pw" << kSourceMissing;
        QTest::newRow("password outside the character set")
            << int(Selected) << QString::fromUtf8("ab\xe5\xaf\x86") << "Error|48|";
    }
    void checksInOrder() {
        QFETCH(int, setup);
        QFETCH(QString, password);
        QFETCH(QString, box);
        SingleFileWindow w;
        w.write("report.txt", "content");
        w.write("README", "content");
        w.write("my.docs/README", "content");
        if (setup == NoDotDottedFolder) {
            w.browse(w.file("my.docs"));
        }
        if (setup != NothingSelected) {
            w.clickFile(setup == NoDot || setup == NoDotDottedFolder ? "README" : "report.txt");
        }
        if (setup == NoOutputPath) {
            w.browse(w.file("my.docs"));
            QTest::mouseClick(w.c().lblLockFile[0], Qt::LeftButton);
        }
        if (setup == SourceDeleted) {
            QVERIFY(QFile::remove(w.file("report.txt")));
        }
        w.typePassword(password);
        const QStringList before = entriesOf(w.folder());

        w.apply();

        const QStringList boxes = shownBoxes();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith(box), qPrintable(boxes[0]));
        QVERIFY(w.ready());
        if (box == kDone) {
            QCOMPARE(readBytes(w.file("my.docs/README.locked")), transformed("content", password));
            return;
        }
        QCOMPARE(entriesOf(w.folder()), before);
        if (setup == SourceDeleted) { // a vanished source leaves the list
            QCOMPARE(w.listedFiles().contains("report.txt"), box != kSourceMissing);
        }
        if (box.startsWith("Error|48")) {
            QVERIFY2(boxes[0].contains(QString::fromUtf8("\"\xe5\xaf\x86\"")),
                     qPrintable(boxes[0]));
        }
    }

    // An existing target is replaced only with the user's consent; a link in its place is
    // replaced by the new file, and the file it points to stays.
    void existingTarget_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("link");
        QTest::newRow("yes") << int(vbYes) << false;
        QTest::newRow("no") << int(vbNo) << false;
        QTest::newRow("yes, a link") << int(vbYes) << true;
    }
    void existingTarget() {
        QFETCH(int, answer);
        QFETCH(bool, link);
        SingleFileWindow w;
        w.write("report.txt", "new content");
        w.write("old.txt", "old target");
        if (link) {
            QVERIFY(QFile::link(w.file("old.txt"), w.file("report_locked.txt")));
        } else {
            QVERIFY(QFile::copy(w.file("old.txt"), w.file("report_locked.txt")));
        }
        w.clickFile("report.txt");
        w.typePassword("pw");
        MessageBoxes::setNextAnswer(answer);
        w.apply();

        const bool yes = answer == vbYes;
        QCOMPARE(shownBoxes(), (yes ? QStringList{kConfirm, kDone} : QStringList{kConfirm}));
        QCOMPARE(readBytes(w.file("report_locked.txt")),
                 yes ? transformed("new content", "pw") : QByteArray("old target"));
        QCOMPARE(QFileInfo(w.file("report_locked.txt")).isSymLink(), link && !yes);
        QCOMPARE(readBytes(w.file("old.txt")), QByteArray("old target"));
        QCOMPARE(readBytes(w.file("report.txt")), QByteArray("new content"));
        QCOMPARE(entriesOf(w.folder()),
                 (QStringList{"old.txt", "report.txt", "report_locked.txt"}));
    }

    // An output that names the source itself is refused before any question; the source stays.
    void outputIsTheSource_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("the source's name") << "report.txt";
        QTest::newRow("another spelling") << "./report.txt";
        QTest::newRow("a link to the source") << "alias.txt";
    }
    void outputIsTheSource() {
        QFETCH(QString, name);
        SingleFileWindow w;
        w.write("report.txt", "precious");
        QVERIFY(QFile::link(w.file("report.txt"), w.file("alias.txt")));
        w.clickFile("report.txt");
        w.renameOutput(name);
        w.typePassword("pw");
        w.apply();

        const QStringList boxes = shownBoxes();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith("Error|48|"), qPrintable(boxes[0]));
        QCOMPARE(readBytes(w.file("report.txt")), QByteArray("precious"));
        QVERIFY(QFileInfo(w.file("alias.txt")).isSymLink());
        QCOMPARE(entriesOf(w.folder()), (QStringList{"alias.txt", "report.txt"}));
    }

    // A run that fails once the window is busy ends in the one failure message and a ready
    // window that runs the next command.
    void failureLeavesTheWindowReady() {
        SingleFileWindow w;
        w.write("report.txt", "content");
        w.clickFile("report.txt");
        w.renameOutput("no-such-folder/x.txt");
        w.typePassword("pw");
        bool wentBusy = false;
        QTimer::singleShot(0, [&] { wentBusy = !w.c().cmdApply->isEnabled(); });
        w.apply();

        QVERIFY(wentBusy);
        QCOMPARE(shownBoxes(), QStringList{kFailed});
        QVERIFY(w.ready());
        QCOMPARE(entriesOf(w.folder()), QStringList{"report.txt"});
        QCOMPARE(w.c().lblFileTo->text(), w.file("no-such-folder/x.txt"));

        MessageBoxes::clear();
        w.clickFile("report.txt");
        w.typePassword("pw");
        w.apply();
        QCOMPARE(shownBoxes(), QStringList{kDone});
    }

    // While a run is in progress nothing can start another one or change what it works on.
    void runHoldsTheWindow() {
        SingleFileWindow w;
        const MainControls& c = w.c();
        w.write("report.txt", "content");
        w.clickFile("report.txt");
        w.typePassword("pw");
        QStringList enabledDuringRun;
        bool closed = true;
        QTimer::singleShot(0, [&] {
            for (QWidget* control : std::initializer_list<QWidget*>{
                     c.cmdApply, c.cmdChangeOutputFilename, c.txtPassword, c.File1, c.Dir1,
                     c.Drive1, c.vButton[0], c.vButton[1], c.vButton[2], c.lblLockFile[0],
                     c.lblLockFile[1], c.lblLockFile[2], c.List1, c.txtPassword1,
                     c.cmdLockMultipleFiles, c.cmdAddToAutomated, c.lblRemoveSelectedItem,
                     c.Label2}) {
                if (control->isEnabled()) {
                    enabledDuringRun.append(control->objectName());
                }
            }
            closed = w.window.close();
            Modes::forWindow(w.window).lblLockFile_Click(1);
        });
        w.apply();

        QCOMPARE(enabledDuringRun, QStringList{});
        QVERIFY(!closed);
        QCOMPARE(c.cmdApply->text(), QString("Lock File"));
        QCOMPARE(shownBoxes(), QStringList{kDone});
        QVERIFY(w.ready());
        QVERIFY(c.cmdAddToAutomated->isEnabled());
    }

    // Window events run all along a long transform, not only at its start: the generator
    // stands at different places in the rounds of events.
    // Window events run in the middle of the transform: a timer ticks while the generator is
    // part-way through the file, and the indicator is running.
    void windowEventsRunDuringTheTransform() {
        SingleFileWindow w;
        writeBytes(w.file("big.bin"), sampleBytes(2 * 1024 * 1024));
        w.window.lblRefresh_Click();
        w.clickFile("big.bin");
        w.typePassword("pw");
        QSet<std::uint32_t> statesSeen;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (LongOperation::running() && w.c().tmrPleaseWait->isActive()) {
                statesSeen.insert(processRandomSource().state());
            }
        });
        probe.start(0);
        LongOperation::setEventInterval(0);
        w.apply();
        LongOperation::setEventInterval(20);

        QCOMPARE(shownBoxes(), QStringList{kDone});
        QVERIFY2(statesSeen.size() >= 2, qPrintable(QString::number(statesSeen.size())));
    }
};

} // namespace

KELVANE_GUI_TEST(ApplyTest);

} // namespace kelvane::test::singlefile

#include "ApplyTest.moc"
