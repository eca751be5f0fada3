#include "BookmarkTestWindow.h"

#include "BatchLock.h"
#include "BookmarkEditCommands.h"
#include "Charset.h"
#include "Cipher.h"
#include "LongOperation.h"
#include "RndCrypt.h"
#include "vFrame.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <QTimer>

namespace kelvane::test {

namespace {

const QString kDone("Done. Process complete.");

QByteArray plain(const QString& name) {
    QByteArray bytes(256 + name.size() * 37, '\0');
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        bytes[i] = char(i * 7 + name.size());
    }
    return bytes;
}

QByteArray locked(const QString& name, const QString& password = "pw") {
    QByteArray bytes = plain(name);
    RandomSource fresh;
    RndCryptBuffer({reinterpret_cast<std::uint8_t*>(bytes.data()), std::size_t(bytes.size())},
                   passwordCodes(password), {}, fresh);
    return bytes;
}

// Every control that a run holds still, and two of the single-file inputs.
QList<QWidget*> heldControls(const MainControls& c) {
    QList<QWidget*> held{
        c.List1,    c.txtPassword1,          c.cmdLockMultipleFiles, c.Label2,
        c.cmdApply, c.lblRemoveSelectedItem, c.cmdAddToAutomated,    c.txtPassword};
    for (int i = 0; i < 3; ++i) {
        held << c.vButton[i] << c.lblLockFile[i];
    }
    return held;
}

void verifyReady(frmMain& window) {
    for (QWidget* control : heldControls(window.controls())) {
        QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
    }
    QVERIFY(!window.controls().tmrPleaseWait->isActive());
    QVERIFY(!window.controls().lblPleaseWait->isVisibleTo(&window));
    QVERIFY(!window.isBusy());
}

class BookmarkBatchTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBoxes::clear();
        m_data = std::make_unique<QTemporaryDir>();
        m_window = std::make_unique<BookmarkTestWindow>();
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
            writeBytes(path(name), plain(name));
        }
    }
    void cleanup() {
        m_window.reset();
        m_data.reset();
    }

    void checkedInOrder_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("box");
        const QString noFiles("No Files to Lock | 64 | There are no files to lock.");
        const QStringList one{"<d>/a.txt=<d>/a_locked.txt"};
        QTest::newRow("empty list before empty password") << QStringList{} << "" << noFiles;
        QTest::newRow("empty password")
            << one << ""
            << "Missing info | 64 | Please enter a password for the files.";
        QTest::newRow("character outside the set")
            << one << QString::fromUtf8("pw\u03a9")
            << QString::fromUtf8("Error | 48 | The password contains the character \"\u03a9\", "
                                 "which cannot be used in a password. Please choose another "
                                 "password.");
    }
    void checkedInOrder() {
        QFETCH(QStringList, entries);
        QFETCH(QString, password);
        QFETCH(QString, box);
        bookmark(entries);
        m_window->lockAll(password);
        QCOMPARE(shownBoxes(), QStringList{box});
        QCOMPARE(files(), (QStringList{"a.txt", "b.txt", "c.txt"}));
        verifyReady(m_window->window());
    }

    // Bookmarked (one output renamed), restarted, locked with one password; each output unlocks.
    void bookmarkRestartLockAll() {
        writeBytes(path("empty.dat"), QByteArray());
        m_window->add(path("a.txt"), path("a_locked.txt"));
        m_window->add(path("c.txt"), path("renamed.bin"));
        m_window->add(path("empty.dat"), path("empty_locked.dat"));
        const QStringList entries = m_window->items();
        m_window->restart();
        QCOMPARE(m_window->items(), entries);
        writeBytes(m_window->listFile(), "not written by the batch\n");
        MessageBoxes::clear();

        m_window->lockAll("secret");

        QCOMPARE(shownBoxes(), QStringList{"Done | 64 | " + kDone});
        QCOMPARE(files(), (QStringList{"a.txt", "a_locked.txt", "b.txt", "c.txt", "empty.dat",
                                       "empty_locked.dat", "renamed.bin"}));
        QCOMPARE(readBytes(path("a_locked.txt")), locked("a.txt", "secret"));
        QCOMPARE(readBytes(path("renamed.bin")), locked("c.txt", "secret"));
        QCOMPARE(readBytes(path("empty_locked.dat")), QByteArray());
        QCOMPARE(m_window->items(), entries);
        QCOMPARE(m_window->c().List1->currentRow(), 2);
        QCOMPARE(readBytes(m_window->listFile()), QByteArray("not written by the batch\n"));
        verifyReady(m_window->window());
        RndCrypt(path("renamed.bin"), path("unlocked"), "secret");
        QCOMPARE(readBytes(path("unlocked")), plain("c.txt"));
    }

    void skippedAndFailedAreNamed_data() {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QStringList>("written");
        QTest::addColumn<QStringList>("named");
        const QString malformed(": not one source path and one output path joined by \"=\".");
        QTest::newRow("missing source")
            << QStringList{"<d>/gone.txt=<d>/gone_locked.txt", "<d>/b.txt=<d>/b_locked.txt"}
            << QStringList{"b_locked.txt"}
            << QStringList{
                   "Locked 1 of 2 files.\n\nSkipped:\n<d>/gone.txt: source file not found."};
        QTest::newRow("malformed, never written at a path not bookmarked")
            << QStringList{"<d>/a.txt", "<d>/a.txt=", "=<d>/a_locked.txt",
                           "<d>/a.txt=<d>/x=<d>/b.txt", "<d>/c.txt=<d>/c_locked.txt"}
            << QStringList{"c_locked.txt"}
            << QStringList{"Locked 1 of 5 files.\n\nSkipped:\n<d>/a.txt" + malformed,
                           "\n<d>/a.txt=" + malformed, "\n=<d>/a_locked.txt" + malformed,
                           "\n<d>/a.txt=<d>/x=<d>/b.txt" + malformed};
        QTest::newRow("output is its own source")
            << QStringList{"<d>/a.txt=<d>/./a.txt", "<d>/c.txt=<d>/c_locked.txt"}
            << QStringList{"c_locked.txt"}
            << QStringList{"Locked 1 of 2 files.\n\nSkipped:\n<d>/a.txt: the output is the "
                           "source file itself."};
        QTest::newRow("two bookmarks with one output: the first one's file is kept")
            << QStringList{"<d>/b.txt=<d>/b_locked.txt", "<d>/c.txt=<d>/./b_locked.txt"}
            << QStringList{"b_locked.txt"}
            << QStringList{"Locked 1 of 2 files.\n\nSkipped:\n<d>/c.txt: an earlier bookmark "
                           "writes the same output file."};
        QTest::newRow("unwritable output folders among good entries")
            << QStringList{"<d>/a.txt=<d>/missing/a_locked.txt", "<d>/b.txt=<d>/b_locked.txt",
                           "<d>/c.txt=<d>/a.txt/c_locked.txt"}
            << QStringList{"b_locked.txt"}
            << QStringList{"Locked 1 of 3 files.\n\nFailed:\n<d>/a.txt: ", "\n<d>/c.txt: "};
    }
    void skippedAndFailedAreNamed() {
        QFETCH(QStringList, entries);
        QFETCH(QStringList, written);
        QFETCH(QStringList, named);
        bookmark(entries);
        m_window->lockAll("pw");

        const QStringList boxes = shownBoxes();
        QCOMPARE(boxes.size(), 1);
        QVERIFY2(boxes[0].startsWith("Done | 48 | " + kDone + "\n\n"), qPrintable(boxes[0]));
        for (const QString& text : withData(named)) {
            QVERIFY2(boxes[0].contains(text), qPrintable(boxes[0] + "\nlacks\n" + text));
        }
        QStringList expected = written + QStringList{"a.txt", "b.txt", "c.txt"};
        expected.sort();
        QCOMPARE(files(), expected);
        for (const QString& output : written) {
            QCOMPARE(readBytes(path(output)), locked(output.section('_', 0, 0) + ".txt"));
        }
        QCOMPARE(m_window->c().List1->currentRow(), entries.size() - 1);
        verifyReady(m_window->window());
    }

    void existingOutputsAskedOnce_data() {
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("question");
        const QStringList two{"a_locked.txt", "b_locked.txt"};
        const QString twoExist("2 target files exist and will be replaced. Is this ok?");
        QTest::newRow("No") << two << int(vbNo) << twoExist;
        QTest::newRow("Yes") << two << int(vbYes) << twoExist;
        QTest::newRow("one") << QStringList{"c_locked.txt"} << int(vbYes)
                             << "1 target file exists and will be replaced. Is this ok?";
    }
    void existingOutputsAskedOnce() {
        QFETCH(QStringList, existing);
        QFETCH(int, answer);
        QFETCH(QString, question);
        // The output of a skipped entry is neither counted nor touched.
        for (const QString& output : existing + QStringList{"gone_locked.txt"}) {
            writeBytes(path(output), "old");
        }
        bookmark({"<d>/a.txt=<d>/a_locked.txt", "<d>/gone.txt=<d>/gone_locked.txt",
                  "<d>/b.txt=<d>/b_locked.txt", "<d>/c.txt=<d>/c_locked.txt"});
        MessageBoxes::setNextAnswer(answer);
        m_window->lockAll("pw");

        QCOMPARE(shownBoxes().size(), answer == vbNo ? 1 : 2);
        QCOMPARE(shownBoxes()[0], "Please confirm | 36 | " + question);
        QCOMPARE(readBytes(path("gone_locked.txt")), QByteArray("old"));
        for (const QString source : {"a.txt", "b.txt", "c.txt"}) {
            const QString output = source.section('.', 0, 0) + "_locked.txt";
            QCOMPARE(readBytes(path(output)), answer == vbYes             ? locked(source)
                                              : existing.contains(output) ? QByteArray("old")
                                                                          : "<unreadable>");
        }
        verifyReady(m_window->window());
    }

    // During a run nothing can change its list or password or start another transform.
    void heldStillDuringRun() {
        bookmark({"<d>/a.txt=<d>/a_locked.txt", "<d>/b.txt=<d>/b_locked.txt"});
        const MainControls& c = m_window->c();
        frmMain& window = m_window->window();
        QStringList enabled{"not probed"};
        const auto probe = [&] {
            enabled.clear();
            for (QWidget* control : heldControls(c)) {
                if (control->isEnabled()) {
                    enabled.append(control->objectName());
                }
            }
            QTest::mouseClick(c.Label2, Qt::LeftButton);
            c.List1->setCurrentRow(0);
            window.findChild<BookmarkEditCommands*>()->Label2_Click();
            window.findChild<BookmarkEditCommands*>()->lblRemoveSelectedItem_Click();
            window.findChild<BatchLock*>()->cmdLockMultipleFiles_Click();
            window.close();
        };
        // The run starts on release; its first round of window events runs the probe.
        connect(c.cmdLockMultipleFiles, &QPushButton::pressed, this,
                [&] { QTimer::singleShot(0, this, probe); });
        m_window->lockAll("pw");

        QCOMPARE(enabled, QStringList{});
        QCOMPARE(shownBoxes(), QStringList{"Done | 64 | " + kDone});
        QCOMPARE(m_window->items().size(), 2);
        QVERIFY(window.isVisible());
        verifyReady(window);
    }

private:
    QString path(const QString& name) const { return m_data->filePath(name); }

    QStringList withData(QStringList texts) const {
        for (QString& text : texts) {
            text.replace("<d>", QDir::toNativeSeparators(m_data->path()));
        }
        return texts;
    }

    // Starts the program on a list file holding `entries`.
    void bookmark(const QStringList& entries) {
        writeBytes(m_window->listFile(), listBytes(withData(entries)));
        m_window->restart();
        MessageBoxes::clear();
    }

    QStringList files() const {
        QStringList files;
        QDirIterator it(m_data->path(), QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            files.append(QDir(m_data->path()).relativeFilePath(it.next()));
        }
        files.sort();
        return files;
    }

    std::unique_ptr<QTemporaryDir> m_data;
    std::unique_ptr<BookmarkTestWindow> m_window;
};

} // namespace

KELVANE_GUI_TEST(BookmarkBatchTest);

} // namespace kelvane::test

#include "BookmarkBatchTest.moc"
