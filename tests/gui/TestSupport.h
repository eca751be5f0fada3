// SPDX-License-Identifier: MIT
#pragma once

// What the window tests share: a shown main window with all its commands, on a program folder and
// a data folder of its own, the steps a user takes in it, and how the tests register.

#include "app/CommandSets.h"
#include "controls/vFrame.h"
#include "engine/Charset.h"
#include "engine/Cipher.h"
#include "platform/MsgBox.h"
#include "platform/Runtime.h"
#include "tests/support/OutputFaults.h"
#include "window/ClickableLabel.h"
#include "window/DirListBox.h"
#include "window/DriveListBox.h"
#include "window/FileListBox.h"
#include "window/LongOperation.h"
#include "window/frmFileName.h"
#include "window/frmMain.h"

#include <QApplication>
#include <QDirIterator>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <iterator>

namespace kelvane::test {

// The caption a control shows: a label's or button's text, a frame's title, a text box's text.
inline QString captionOf(const QWidget* control) {
    const QVariant text = control->property("text");
    return text.isValid() ? text.toString() : control->property("title").toString();
}

inline QStringList itemTexts(const QAbstractItemView& list) {
    QStringList items;
    for (int i = 0; i < list.model()->rowCount(); ++i) {
        items.append(list.model()->index(i, 0).data().toString());
    }
    return items;
}

// A message box as the user saw it: its title, its style (buttons and icon, a sum of
// MsgBoxStyle), its prompt, and the system's reason behind "Show Details..." when there is one.
struct Box {
    QString title;
    int style = vbOKOnly;
    QString prompt;
    QString details{};
    bool operator==(const Box&) const = default;
};
using Boxes = QList<Box>;

// How a failed comparison shows a box.
inline char* toString(const Box& box) {
    const QString style = QString::number(box.style);
    return QTest::toString(
        QString("%1 (style %2): %3 [details: %4]").arg(box.title, style, box.prompt, box.details));
}

// `box` alone when it is to be shown, else no box.
inline Boxes boxesIf(bool shown, const Box& box) {
    return shown ? Boxes{box} : Boxes();
}

// The message boxes shown so far.
inline Boxes messagesShown() {
    Boxes boxes;
    for (const auto& box : MessageBoxes::shown()) {
        boxes.append({box.title, box.style, box.prompt, box.details});
    }
    return boxes;
}

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A fresh temporary folder that the program takes for its own folder while this lives, a
// portable copy's until installed() is called; a fresh user's data folder (XDG_DATA_HOME) for
// the bookmark list of an installed program, and a fresh system configuration folder
// (XDG_CONFIG_DIRS) for its starting list.
class ProgramFolder {
public:
    ProgramFolder()
        : m_dataHomeBefore(qgetenv("XDG_DATA_HOME")),
          m_configDirsBefore(qgetenv("XDG_CONFIG_DIRS")) {
        setProgramFolderForTesting(m_dir.path());
        writeBytes(file("kelvane-portable"), {});
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome.path()));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(m_configDirs.path()));
    }
    ~ProgramFolder() {
        setProgramFolderForTesting(QString());
        qputenv("XDG_DATA_HOME", m_dataHomeBefore);
        qputenv("XDG_CONFIG_DIRS", m_configDirsBefore);
    }

    // From now on the program is an installed copy: no portable marker beside it.
    void installed() { QVERIFY(QFile::remove(file("kelvane-portable"))); }

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    // The bookmark list of an installed program, in the user's data folder.
    QString userListFile() const { return m_dataHome.filePath("Kelvane/bookmarked.txt"); }
    // The starting list of an installed program, in the system's configuration folder.
    QString startingListFile() const { return m_configDirs.filePath("Kelvane/bookmarked.txt"); }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_dataHome;
    QTemporaryDir m_configDirs;
    QByteArray m_dataHomeBefore;
    QByteArray m_configDirsBefore;
};

using Files = QMap<QString, QByteArray>;

inline const Box kDone{"Done", vbInformation, "Done. Process complete."};
inline const Box kNoSelection{"Ooops", vbInformation, "Please select an item."};
inline const Box kConfirm{"Remove Bookmarks", vbYesNo + vbQuestion, "Confirm action?"};
inline const Box kReplace{"Please confirm", vbYesNo + vbQuestion,
                          "Target file exists and will be deleted before going on. Is this ok?"};

// The report of a bookmark list at `path` that is no text; `after` says what became of it.
inline Box unreadableList(const QString& path, const QString& after) {
    return {"Bookmarked Files", vbExclamation,
            "The bookmark list " + path + " could not be read (the file is not a text file). " +
                after};
}

inline QByteArray listBytes(const QStringList& entries) {
    return entries.isEmpty() ? QByteArray() : entries.join('\n').toUtf8() + '\n';
}

class CommandWindow {
public:
    CommandWindow() { restart(); }

    // Starts the program (again) on the same folders, browsing the data folder.
    void restart() {
        MessageBoxes::clear();
        window.reset();
        window = std::make_unique<frmMain>();
        attachCommandSets(*window);
        window->Form_Load();
        window->show();
        browse(data.path());
    }

    // Starts the program again with this bookmark list beside it.
    void restartWithList(const QStringList& entries) {
        writeBytes(listFile(), listBytes(entries));
        restart();
    }

    const MainControls& c() const { return window->controls(); }
    QString file(const QString& name) const { return data.filePath(name); }
    // The bookmark that locks `source` into `output`, both under the data folder.
    QString entry(const QString& source, const QString& output) const {
        return file(source) + '=' + file(output);
    }
    QString listFile() const { return program.file("bookmarked.txt"); }
    QStringList items() const { return itemTexts(*c().List1); }
    void browse(const QString& path) { QVERIFY(c().Dir1->setPath(path)); }
    // Makes the window the active one, as the desktop does, so that its keys work.
    void activate() {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void click(QWidget* control) { QTest::mouseClick(control, Qt::LeftButton); }
    void mode(int index) { click(c().lblLockFile[index]); }

    // Writes files under the data folder, making their folders, and re-reads the lists.
    void write(const QString& name, const QByteArray& bytes) {
        QDir(data.path()).mkpath(QFileInfo(file(name)).path());
        writeBytes(file(name), bytes);
        window->lblRefresh_Click();
    }

    void write(const Files& files) {
        for (const auto& [name, bytes] : files.asKeyValueRange()) {
            write(name, bytes);
        }
    }

    // Everything under the data folder, by relative path, with its bytes.
    Files files() const {
        Files files;
        QDirIterator it(data.path(),
                        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            files[QDir(data.path()).relativeFilePath(path)] = readBytes(path);
        }
        return files;
    }

    // Clicks the file of this exact name, also where the list shows a name that is not text
    // with a replacement mark.
    void clickFile(const QString& name) {
        FileListBox& files = *c().File1;
        int row = -1;
        for (int i = 0; i < files.ListCount(); ++i) {
            row = files.List(i) == name ? i : row;
        }
        QVERIFY2(row >= 0, qPrintable(name));
        const QRect place = files.visualRect(files.model()->index(row, 0));
        QTest::mouseClick(files.viewport(), Qt::LeftButton, {}, place.center());
    }

    // Drops `paths` on `target` (the window by default) as a file manager does with Shift held,
    // proposing a move; true when the window takes them, as a copy, so the file manager keeps
    // its files.
    bool drop(const QStringList& paths, QWidget* target = nullptr) {
        QMimeData files;
        QList<QUrl> urls;
        std::transform(paths.begin(), paths.end(), std::back_inserter(urls), QUrl::fromLocalFile);
        files.setUrls(urls);
        target = target != nullptr ? target : window.get();
        const auto actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(QPoint(2, 2), actions, &files, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(target, &enter);
        QDropEvent drop(QPointF(2, 2), actions, &files, Qt::LeftButton, Qt::ShiftModifier);
        QApplication::sendEvent(target, &drop);
        QCoreApplication::processEvents();
        return enter.isAccepted() && drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
    }

    // Types over the box's text (pasting what the test keyboard lacks).
    static void type(QLineEdit* box, const QString& text) {
        box->clear();
        box->insert(text);
    }

    // Types the password of the single-file run or of the batch, has `answer` ready for a
    // question, presses the run's button (or Enter in the password box, which does the same) and
    // waits for the end of the run it started, each yield waiting for the window. True when the
    // command started a run.
    bool run(bool batch, const QString& password, int answer = vbYes, bool byEnter = false) {
        QLineEdit* box = batch ? c().txtPassword1 : c().txtPassword;
        type(box, password);
        MessageBoxes::setNextAnswer(answer);
        LongOperation::setEventInterval(0);
        byEnter ? QTest::keyClick(box, Qt::Key_Return)
                : click(batch ? c().cmdLockMultipleFiles : c().cmdApply);
        const bool started = running();
        waitForRun();
        LongOperation::setEventInterval(20);
        return started;
    }

    // A run is going on: its worker has not ended, or the window has not finished it yet.
    bool running() const { return window->findChild<LongOperation*>() != nullptr; }
    // Waits for the end of the run also after a failed check (which ends QTRY_ waits at once):
    // the window must not go while its run goes on.
    void waitForRun() const {
        QVERIFY(QTest::qWaitFor([this] { return !running(); }, 120'000));
    }

    // The names of the controls that a run holds off whose enabled state is `enabled`.
    QStringList heldControls(bool enabled) const {
        QStringList names;
        for (const char* name :
             {"cmdApply", "cmdChangeOutputFilename", "txtPassword", "File1", "Dir1", "Drive1",
              "List1", "txtPassword1", "cmdLockMultipleFiles", "cmdAddToAutomated",
              "lblRemoveSelectedItem", "Label2", "vButton(0)", "lblLockFile(0)", "vButton(1)",
              "lblLockFile(1)", "vButton(2)", "lblLockFile(2)"}) {
            if (window->findChild<QWidget*>(name)->isEnabled() == enabled) {
                names << name;
            }
        }
        return names;
    }

    // Every control enabled, and "Please Wait..." hidden and still.
    bool settled() const {
        return heldControls(false).isEmpty() && !c().tmrPleaseWait->isActive() &&
               c().lblPleaseWait->isHidden();
    }
    // Nothing left of a run: settled, and the window may close.
    bool ready() const { return settled() && !running(); }

    ProgramFolder program;
    QTemporaryDir data;
    std::unique_ptr<frmMain> window;
};

// `content` locked (or unlocked) with `password`, computed in memory on a fresh generator.
inline QByteArray transformed(QByteArray content, const QString& password) {
    RandomSource source;
    RndCryptBuffer({reinterpret_cast<std::uint8_t*>(content.data()), std::size_t(content.size())},
                   passwordCodes(password), {}, source);
    return content;
}

// The test classes that main() runs, by name, each registered by KELVANE_GUI_TEST in its own
// file with the function that makes it.
using MakeTest = QObject* (*)();
inline QMap<QString, MakeTest>& registeredTests() {
    static QMap<QString, MakeTest> tests;
    return tests;
}
inline bool registerTest(const char* name, MakeTest make) {
    registeredTests().insert(QString::fromLatin1(name), make);
    return true;
}

#define KELVANE_GUI_TEST(Class)                                                                    \
    [[maybe_unused]] const bool registered##Class =                                                \
        ::kelvane::test::registerTest(#Class, []() -> QObject* { return new Class; })

} // namespace kelvane::test

Q_DECLARE_METATYPE(kelvane::test::Box)
