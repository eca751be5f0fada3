#include "TestSupport.h"

#include "LongOperation.h"
#include "RunProgress.h"

#include <QDropEvent>
#include <QMimeData>
#include <QProgressBar>

#include <functional>

namespace kelvane::test {

namespace {

const QString kTitle = "Kelvane Pro 1.2 by www.kelvane.example";
const QString kStopNow = "Please confirm | 36 | Stop the process now? The file being written will "
                         "not be saved.";
const QString kStopAndClose = "Please confirm | 36 | The process is not complete. Stop it and "
                              "close the window? The file being written will not be saved.";
constexpr std::uint64_t kStep = 64 * 1024; // the engine's yield interval

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

QByteArray bytes(std::uint64_t size) {
    return QByteArray(static_cast<qsizetype>(size), 'k');
}

// The titles a run shows, one per change, when its yields report these files of these sizes
// (0: skipped) and the clock stands still: "P%[, file k of n] - <title>", then the title again.
QStringList expectedTitles(const std::vector<std::uint64_t>& sizes, bool batch) {
    std::uint64_t all = 0;
    for (const std::uint64_t size : sizes) {
        all += size;
    }
    QStringList titles;
    std::uint64_t before = 0;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        if (sizes[i] == 0) {
            continue;
        }
        for (std::uint64_t done = 0;; done = std::min(done + kStep, sizes[i])) {
            QString title = QString::number((before + done) * 100 / all) + '%';
            if (batch) {
                title += QString(", file %1 of %2").arg(i + 1).arg(sizes.size());
            }
            title += " - " + kTitle;
            if (titles.isEmpty() || titles.last() != title) {
                titles.append(title);
            }
            if (done == sizes[i]) {
                break;
            }
        }
        before += sizes[i];
    }
    return titles << kTitle;
}

// Runs `act` once, the first time the window title holds `part` (a run in progress).
void onTitle(frmMain& window, const QString& part, std::function<void()> act) {
    auto done = std::make_shared<bool>(false);
    QObject::connect(&window, &QWidget::windowTitleChanged, &window,
                     [part, act = std::move(act), done](const QString& title) {
                         if (!*done && title.contains(part)) {
                             *done = true;
                             act();
                         }
                     });
}

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
        const struct {
            qint64 now;
            qint64 waited; // just before this yield, for an answer
            bool inBatch;
            std::uint64_t done, total;
            QString shown; // before the window's title; "": nothing shown
            int bar;
        } rows[] = {
            {0, 0, false, 0, 4000, "", 0},
            {900, 0, false, 1000, 4000, "", 0},
            {1000, 0, false, 1000, 4000, "25%, 3 s left", 250},
            {1500, 0, false, 2000, 4000, "50%, 3 s left", 500},
            {2000, 0, false, 2000, 4000, "50%, 2 s left", 500},
            {3000, 0, false, 3999, 4000, "99%, 1 s left", 999},
            {3500, 0, false, 4000, 4000, "100%", 1000},
            {5000, 0, true, 0, 1000, "25%, file 2 of 3, 15 s left", 250},
            {125000, 60000, true, 1000, 1000, "50%, file 2 of 3, 1 min 5 s left", 500},
            {5460000, 0, true, 1000, 1000, "50%, file 2 of 3, 1 h 30 min left", 500},
        };
        for (const auto& row : rows) {
            progress.now = row.now - row.waited;
            w.window->progress().pause();
            progress.now = row.now;
            w.window->progress().resume();
            (row.inBatch ? batch : single)(row.done, row.total);
            QCOMPARE(w.window->windowTitle(),
                     row.shown.isEmpty() ? kTitle : row.shown + " - " + kTitle);
            QCOMPARE(bar.isVisible(), !row.shown.isEmpty());
            QCOMPARE(bar.value(), row.bar);
        }
        QCOMPARE(bar.parentWidget(), w.c().Picture1);
        QCOMPARE(bar.geometry().bottom(), w.c().Picture1->rect().bottom());
        run.stopIndicator();
        run.end();
        QCOMPARE(w.window->windowTitle(), kTitle);
        QVERIFY(!bar.isVisible());
    }

    // A real lock and a real batch show every fraction the engine reports, in order, for the
    // whole batch ("file k of n" counts the list's entries, the skipped one too).
    void runsShowEveryFraction() {
        for (const bool batch : {false, true}) {
            DrivenProgress progress;
            CommandWindow w;
            const std::vector<std::uint64_t> sizes =
                batch ? std::vector<std::uint64_t>{3 * kStep, 0, 2 * kStep + 5}
                      : std::vector<std::uint64_t>{5 * kStep + 1234};
            QStringList entries;
            for (std::size_t i = 0; i < sizes.size(); ++i) {
                const QString name = QString("f%1.bin").arg(i);
                if (sizes[i] > 0) {
                    writeBytes(w.file(name), bytes(sizes[i]));
                }
                entries << w.file(name) + '=' + w.file(name + ".locked");
            }
            writeBytes(w.listFile(), listBytes(entries));
            w.restart();
            QStringList titles;
            QObject::connect(w.window.get(), &QWidget::windowTitleChanged,
                             [&titles](const QString& title) { titles << title; });
            if (batch) {
                w.mode(2);
                CommandWindow::type(w.c().txtPassword1, "pw");
                w.click(w.c().cmdLockMultipleFiles);
            } else {
                w.clickFile("f0.bin");
                CommandWindow::type(w.c().txtPassword, "pw");
                w.click(w.c().cmdApply);
            }
            QCOMPARE(titles, expectedTitles(sizes, batch));
            QVERIFY(w.ready() && !w.window->progress().bar().isVisible());
        }
    }

    // Esc or the close box during a run asks. No goes on to the end; Yes stops the lock, or the
    // batch while it locks its third entry: no new file and no temporary file for it, a target
    // the user agreed to replace as it was, what was finished kept. A stop by Esc says so (the
    // batch in its report); a stop by the close box closes the window once the run is over.
    void stopARun() {
        const QString replace("Please confirm | 36 | Target file exists and will be deleted "
                              "before going on. Is this ok?");
        const QString replaceInBatch("Please confirm | 36 | 1 target file exists and will be "
                                     "replaced. Is this ok?");
        const QString done("Done | 64 | Done. Process complete.");
        const QString stopped("Stopped | 64 | Stopped. The process was not completed and no new "
                              "file was saved.");
        const QString batchStopped(
            "Stopped | 64 | Stopped. Process not complete.\n\nLocked 1 of 4 files.\n\nSkipped:\n"
            "<d>/gone.txt: source file not found.\n\nStopped while it was being locked (no new "
            "file was saved):\n<d>/b.txt\n\nNot started:\n<d>/c.txt");
        const QString batchDone("Done | 48 | Done. Process complete.\n\nLocked 3 of 4 files.\n\n"
                                "Skipped:\n<d>/gone.txt: source file not found.");
        const struct {
            bool batch, byClose, existing;
            int answer;
            QStringList boxes;
        } rows[] = {
            {false, false, false, vbNo, {kStopNow, done}},
            {false, false, false, vbYes, {kStopNow, stopped}},
            {false, false, true, vbYes, {replace, kStopNow, stopped}},
            {false, true, false, vbNo, {kStopAndClose, done}},
            {false, true, true, vbYes, {replace, kStopAndClose}},
            {true, false, true, vbYes, {replaceInBatch, kStopNow, batchStopped}},
            {true, false, true, vbNo, {replaceInBatch, kStopNow, batchDone}},
            {true, true, true, vbYes, {replaceInBatch, kStopAndClose}},
        };
        for (const auto& row : rows) {
            DrivenProgress progress;
            CommandWindow w;
            // Locked by a lock: b.txt; by a batch: a.txt, gone.txt, b.txt and c.txt in turn.
            const Files sources{
                {"a.txt", bytes(4 * kStep)}, {"b.txt", bytes(32 * kStep)}, {"c.txt", "c"}};
            QStringList entries;
            for (const QString name : {"a", "gone", "b", "c"}) {
                entries << w.file(name + ".txt") + '=' + w.file(name + "_locked.txt");
            }
            writeBytes(w.listFile(), listBytes(entries));
            for (const auto& [name, content] : sources.asKeyValueRange()) {
                writeBytes(w.file(name), content);
            }
            if (row.existing) {
                writeBytes(w.file(row.batch ? "c_locked.txt" : "b_locked.txt"), "old");
            }
            w.restart();
            w.activate();
            if (row.existing) {
                MessageBoxes::setNextAnswer(vbYes); // replace it
            }
            Files expected = w.files();
            if (row.batch) {
                expected["a_locked.txt"] = transformed(sources["a.txt"], "pw");
                w.mode(2);
            } else {
                w.clickFile("b.txt");
            }
            if (row.answer == vbNo) {
                expected["b_locked.txt"] = transformed(sources["b.txt"], "pw");
                if (row.batch) {
                    expected["c_locked.txt"] = transformed(sources["c.txt"], "pw");
                }
            }
            frmMain* window = w.window.get();
            onTitle(*window, row.batch ? "file 3 of 4" : "50%", [&] {
                MessageBoxes::setNextAnswer(row.answer);
                if (row.byClose) {
                    window->close();
                } else {
                    QTest::keyClick(window, Qt::Key_Escape);
                }
            });
            CommandWindow::type(row.batch ? w.c().txtPassword1 : w.c().txtPassword, "pw");
            w.click(row.batch ? w.c().cmdLockMultipleFiles : w.c().cmdApply);
            QCoreApplication::processEvents();

            const QString folder = QDir::toNativeSeparators(w.data.path()) + '/';
            QCOMPARE(messagesShown(), QStringList(row.boxes).replaceInStrings("<d>/", folder));
            QCOMPARE(w.files(), expected);
            QCOMPARE(w.items(), entries);
            QVERIFY(w.ready());
            QCOMPARE(window->windowTitle(), kTitle);
            QCOMPARE(window->isVisible(), !(row.byClose && row.answer == vbYes));
        }
    }

    // While a run goes on, the controls it holds off look held off (the mode buttons and the
    // bookmark links too), and a file dropped on the window is refused.
    void aRunLooksHeldAndRefusesDrops() {
        DrivenProgress progress;
        CommandWindow w;
        w.write("big.bin", bytes(16 * kStep));
        writeBytes(w.listFile(), listBytes({w.file("big.bin") + '=' + w.file("big_locked.bin")}));
        w.restart();
        w.mode(2);
        const MainControls& c = w.c();
        const QList<QWidget*> held{c.vButton[0], c.vButton[1], c.vButton[2],
                                   c.lblRemoveSelectedItem, c.Label2};
        // A mode button is looked at beside its caption, which greys on its own.
        const auto look = [](QWidget* control) {
            return control
                ->grab(qobject_cast<vFrame*>(control) ? QRect(3, 6, 20, 10) : QRect(0, 0, -1, -1))
                .toImage();
        };
        QList<QImage> ready;
        for (QWidget* control : held) {
            ready << look(control);
        }
        QStringList lookingReady{"not probed"};
        bool dropTaken = true;
        onTitle(*w.window, "50%", [&] {
            lookingReady.clear();
            for (int i = 0; i < held.size(); ++i) {
                if (look(held[i]) == ready[i]) {
                    lookingReady << held[i]->objectName();
                }
            }
            QMimeData files;
            files.setUrls({QUrl::fromLocalFile(w.file("big.bin"))});
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, {});
            QApplication::sendEvent(w.window.get(), &enter);
            QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, {});
            QApplication::sendEvent(w.window.get(), &drop);
            dropTaken = enter.isAccepted() || drop.isAccepted();
        });
        CommandWindow::type(c.txtPassword1, "pw");
        w.click(c.cmdLockMultipleFiles);
        QCoreApplication::processEvents();

        QCOMPARE(lookingReady, QStringList{});
        QVERIFY(!dropTaken);
        QCOMPARE(messagesShown(), QStringList{"Done | 64 | Done. Process complete."});
        QVERIFY(c.frAutomated->isVisible() && c.lblFileFrom->text().isEmpty());
        for (int i = 0; i < held.size(); ++i) {
            QCOMPARE(look(held[i]), ready[i]);
        }
    }
};

} // namespace

KELVANE_GUI_TEST(LongRunTest);

} // namespace kelvane::test

#include "LongRunTest.moc"
