// SPDX-License-Identifier: MIT
#include "tests/gui/TestSupport.h"

#include "window/RunProgress.h"

#include <QProgressBar>

#include <atomic>

namespace kelvane::test {

namespace {

const QString kTitle = "Kelvane Pro 1.2 by www.kelvane.example";
const Box kStopNow{"Please confirm", vbYesNo + vbQuestion,
                   "Stop the process now? The file being written will not be saved."};
const Box kStopAndClose{"Please confirm", vbYesNo + vbQuestion,
                        "The process is not complete. Stop it and close the window? The file "
                        "being written will not be saved."};
constexpr qsizetype kStep = 64 * 1024; // the engine's yield interval

// Progress shown from the first yield, on a clock that stands at `now`, events at every yield.
struct DrivenProgress {
    DrivenProgress(qint64 delay = 0) {
        RunProgress::setDelay(delay);
        RunProgress::setClock([this] { return now; });
        LongOperation::setEventInterval(0);
    }
    ~DrivenProgress() {
        RunProgress::setDelay(1000);
        RunProgress::setClock({});
        LongOperation::setEventInterval(20);
    }
    qint64 now = 0;
};

class LongRunTest : public QObject {
    Q_OBJECT

private slots:
    // The figures of the yields reach the title and the bar once the run has taken a second;
    // the time left is estimated again at most once a second and leaves out the time the run
    // waited for an answer; the window's own title comes back.
    void progressFollowsTheYields() {
        DrivenProgress progress(1000);
        CommandWindow w;
        const QProgressBar& bar = w.window->progress().bar();
        LongOperation run(*w.window);
        run.begin();
        const YieldStep single = run.yieldStep();
        const YieldStep batch = run.yieldStep({2, 3, 1000, 4000});
        // `waited` for an answer just before; `inBatch` as file 2 of 3; `shown`: the title's
        // figures and the bar's value.
        // clang-format off
        const struct { qint64 now, waited; bool inBatch; std::uint64_t done, total; QString shown; } rows[] = {
            {900, 0, false, 1000, 4000, ""},
            {1000, 0, false, 1000, 4000, "25%, 3 s left | 250"},
            {1500, 0, false, 2000, 4000, "50%, 3 s left | 500"},
            {2000, 0, false, 2000, 4000, "50%, 2 s left | 500"},
            {3000, 0, false, 3999, 4000, "99%, 1 s left | 999"},
            {3500, 0, false, 4000, 4000, "100% | 1000"},
            {5000, 0, true, 0, 1000, "25%, file 2 of 3, 15 s left | 250"},
            {20000, 0, true, 0, 1000, "25%, file 2 of 3, 1 min left | 250"},
            {125000, 60000, true, 1000, 1000, "50%, file 2 of 3, 1 min 5 s left | 500"},
            {3660000, 0, true, 1000, 1000, "50%, file 2 of 3, 1 h left | 500"},
            {5460000, 0, true, 1000, 1000, "50%, file 2 of 3, 1 h 30 min left | 500"},
        };
        // clang-format on
        for (const auto& row : rows) {
            progress.now = row.now - row.waited;
            w.window->progress().pause();
            progress.now = row.now;
            w.window->progress().resume();
            (row.inBatch ? batch : single)(row.done, row.total);
            const QString title = w.window->windowTitle();
            QCOMPARE(title == kTitle
                         ? QString()
                         : title.chopped(kTitle.size() + 3) + " | " + QString::number(bar.value()),
                     row.shown);
            QCOMPARE(bar.isVisible(), !row.shown.isEmpty());
        }
        run.stopIndicator();
        run.end();
        QCOMPARE(w.window->windowTitle(), kTitle);
        QVERIFY(!bar.isVisible());
    }

    // A run whose work ends while the user is asked whether to stop it ends once the question is
    // answered, not from inside the question's own event loop.
    void theEndWaitsForTheStopQuestion() {
        CommandWindow w;
        auto* run = new LongOperation(*w.window);
        run->begin();
        std::atomic<bool> workOver = false;
        bool ended = false;
        QObject::connect(run, &LongOperation::finished, [&ended] { ended = true; });
        MessageBoxes::setOnShow([&](const MessageBoxes::Shown&) {
            QTRY_VERIFY(workOver); // events run meanwhile, as in a real box
            QTest::qWait(50);
            QVERIFY(!ended);
        });
        run->start([&workOver] { workOver = true; });
        MessageBoxes::setNextAnswer(vbNo);
        run->askToStop(false);
        QVERIFY(ended);
        w.waitForRun();
        QVERIFY(w.ready());
        MessageBoxes::clear();
    }

    // Esc or the close box during a run asks. Until then the window's events go on, but nothing
    // starts another run or changes what it works on: the controls the run holds off are off
    // and look it (the mode buttons and the bookmark links too), and a dropped file is refused.
    // No goes on to the end; Yes stops the lock, or the batch while it
    // locks its third entry: no new file and no temporary file for it, a target the user agreed
    // to replace as it was, what was finished kept. A stop by Esc says so (the batch in its
    // report); a stop by the close box closes the window once the run is over.
    void stopARun_data() {
        QTest::addColumn<bool>("batch");
        QTest::addColumn<bool>("byClose"); // else by Esc
        QTest::addColumn<int>("answer");
        QTest::addRow("lock, Esc, Yes") << false << false << int(vbYes);
        QTest::addRow("lock, close box, No") << false << true << int(vbNo);
        QTest::addRow("lock, close box, Yes") << false << true << int(vbYes);
        QTest::addRow("batch, Esc, Yes") << true << false << int(vbYes);
        QTest::addRow("batch, Esc, No") << true << false << int(vbNo);
        QTest::addRow("batch, close box, Yes") << true << true << int(vbYes);
    }
    void stopARun() {
        QFETCH(bool, batch);
        QFETCH(bool, byClose);
        QFETCH(int, answer);
        DrivenProgress progress;
        CommandWindow w;
        // Locked by a lock: b.txt; by a batch: a.txt, gone.txt, b.txt and c.txt in turn. The
        // user agrees to replace the existing target.
        w.write({{"a.txt", QByteArray(4 * kStep, 'k')},
                 {"b.txt", QByteArray(32 * kStep, 'k')},
                 {"c.txt", "c"},
                 {batch ? "c_locked.txt" : "b_locked.txt", "old"}});
        const QStringList entries{
            w.entry("a.txt", "a_locked.txt"), w.entry("gone.txt", "gone_locked.txt"),
            w.entry("b.txt", "b_locked.txt"), w.entry("c.txt", "c_locked.txt")};
        w.restartWithList(entries);
        w.activate();
        Files expected = w.files();
        for (const QString name : {"a", "b", "c"}) { // what a finished run locks
            if ((answer == vbNo || name == "a") && (batch || name == "b")) {
                expected[name + "_locked.txt"] = transformed(expected[name + ".txt"], "pw");
            }
        }
        batch ? w.mode(2) : w.clickFile("b.txt");
        frmMain* window = w.window.get();
        const MainControls& c = w.c();
        const QList<QWidget*> looked{c.vButton[0], c.vButton[1], c.vButton[2],
                                     c.lblRemoveSelectedItem, c.Label2};
        const auto look = [&looked] { // a mode button beside its caption, which greys alone
            QList<QImage> images;
            for (QWidget* control : looked) {
                const bool button = qobject_cast<vFrame*>(control) != nullptr;
                images
                    << control->grab(button ? QRect(3, 6, 20, 10) : QRect(0, 0, -1, -1)).toImage();
            }
            return images;
        };
        const QList<QImage> ready = look();
        bool probed = false;
        QTimer probe;
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (probed || !window->windowTitle().contains(batch ? "file 3 of 4" : "50%")) {
                return;
            }
            probed = true;
            QCOMPARE(w.heldControls(true), QStringList{}); // nothing the run holds is enabled
            const QList<QImage> held = look();
            for (int i = 0; i < looked.size(); ++i) {
                QVERIFY2(held[i] != ready[i], qPrintable(looked[i]->objectName()));
            }
            QVERIFY2(!w.drop({w.file("a.txt")}), "a drop was taken");
            MessageBoxes::setNextAnswer(answer);
            byClose ? void(window->close()) : QTest::keyClick(window, Qt::Key_Escape);
        });
        probe.start(0);
        w.run(batch, "pw");
        QCoreApplication::processEvents();

        QVERIFY(probed);
        // The report, unless the window closes; a batch names its entries.
        const QString d = w.data.path() + '/';
        const QString skipped = "\n\nSkipped:\n" + d + "gone.txt: source file not found.";
        const QString stopped = "\n\nStopped while it was being locked (no new file was saved):\n";
        // clang-format off
        Boxes boxes{batch ? Box{"Please confirm", vbYesNo + vbQuestion, "1 target file exists and will be replaced. Is this ok?"}
                          : kReplace,
                    byClose ? kStopAndClose : kStopNow};
        if (answer == vbNo) {
            boxes << (batch ? Box{"Done", vbExclamation, "Done. Process complete.\n\nLocked 3 of 4 files." + skipped} : kDone);
        } else if (!byClose) {
            boxes << (batch ? Box{"Stopped", vbInformation, "Stopped. Process not complete.\n\nLocked 1 of 4 files." + skipped +
                                  stopped + d + "b.txt\n\nNot started:\n" + d + "c.txt"}
                            : Box{"Stopped", vbInformation, "Stopped. The process was not completed and no new file was saved."});
        }
        // clang-format on
        QCOMPARE(messagesShown(), boxes);
        QCOMPARE(w.files(), expected);
        QCOMPARE(w.items(), entries);
        QVERIFY(w.ready() && c.vButton[1]->Collapsed());
        QCOMPARE(window->isVisible(), !(byClose && answer == vbYes));
    }
};

} // namespace

KELVANE_GUI_TEST(LongRunTest);

} // namespace kelvane::test

#include "LongRunTest.moc"
