// SPDX-License-Identifier: MIT
#include "tests/gui/TestSupport.h"

#include "engine/FileName.h"
#include "platform/FolderLauncher.h"
#include "window/OpenPath.h"

#include <QAccessible>
#include <QProcess>
#include <QScopeGuard>
#include <QToolTip>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvane::test {

namespace {

// Everything the window shows: its title and, for each named control, whether it shows, whether
// it is enabled, its caption, its items and which one is current, and where the focus is.
QStringList visibleState(const frmMain& window) {
    QStringList state{window.windowTitle()};
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        if (!control->objectName().isEmpty()) { // not a part of a control: viewport, scroll bar
            QString line = control->objectName() + (control->isVisibleTo(&window) ? " shown" : "") +
                           (control->isEnabled() ? "" : " disabled") + " \"" + captionOf(control) +
                           '"';
            if (const auto* list = qobject_cast<const QAbstractItemView*>(control)) {
                line += " [" + itemTexts(*list).join('|') + "] at " +
                        QString::number(list->currentIndex().row()) + " selected " +
                        QString::number(list->selectionModel()->selectedIndexes().size());
            }
            state << line;
        }
    }
    const QWidget* focus = window.focusWidget();
    return state << "focus " + (focus == nullptr ? QString() : focus->objectName());
}

enum Route { Argument, Drop, DropOnPassword, DropTwo };

// Hands `path` to the window as the program's argument or as a drop, and lets the window act;
// false when a drop is refused.
bool hand(CommandWindow& w, Route route, const QString& path) {
    if (route == Argument) {
        openPathWhenShown(*w.window, path);
        QCoreApplication::processEvents();
        return true;
    }
    return w.drop(route == DropTwo ? QStringList{path, path} : QStringList{path},
                  route == DropOnPassword ? w.c().txtPassword : nullptr);
}

// Presses Tab until `control` has the focus; false when the focus chain does not reach it.
bool tabTo(QWidget* window, QWidget* control) {
    for (int i = 0; i < 60 && QApplication::focusWidget() != control; ++i) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window,
                        Qt::Key_Tab);
    }
    return QApplication::focusWidget() == control;
}

QAccessibleInterface* accessible(QWidget* control) {
    return QAccessible::queryAccessibleInterface(control);
}

// A file in `folder` with a name of any bytes, opened through the system, which takes the bytes
// as they are.
std::unique_ptr<QFile> openNamed(const QString& folder, const QByteArray& name, int flags) {
    auto file = std::make_unique<QFile>();
    const int fd = ::open((QFile::encodeName(folder) + '/' + name).constData(), flags, 0644);
    const auto mode = flags == O_RDONLY ? QIODevice::ReadOnly : QIODevice::WriteOnly;
    return fd >= 0 && file->open(fd, mode, QFile::AutoCloseHandle) ? std::move(file) : nullptr;
}

void writeNamed(const QString& folder, const QByteArray& name, const QByteArray& content) {
    const auto file = openNamed(folder, name, O_WRONLY | O_CREAT | O_TRUNC);
    QVERIFY(file != nullptr && file->write(content) == content.size());
}

QByteArray readNamed(const QString& folder, const QByteArray& name) {
    const auto file = openNamed(folder, name, O_RDONLY);
    return file != nullptr ? file->readAll() : "<missing>";
}

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { setFolderLauncherForTesting({}); }

    // A file named on the command line or dropped (on the window, or on a password box, which
    // would otherwise take the path as text) leaves the window exactly as a click on it does,
    // from any folder and mode, but with the focus in the password box; the file manager keeps
    // its file.
    void openingAFileIsAClick() {
        for (const Route route : {Argument, Drop, DropOnPassword}) {
            for (const QString name : {"report.txt", "report_locked.txt"}) {
                CommandWindow w;
                w.write("d/e/" + name, "x");
                const auto prepare = [&] { // in the other mode than the file's
                    w.mode(name == "report.txt" ? 1 : 0);
                    CommandWindow::type(w.c().txtPassword, "single");
                    CommandWindow::type(w.c().txtPassword1, "batch");
                };
                prepare();
                w.browse(w.file("d/e"));
                w.clickFile(name);
                QStringList clicked = visibleState(*w.window);
                clicked.last() = "focus txtPassword"; // and the password is what comes next
                w.restart();                          // browsing the data folder
                prepare();
                QVERIFY(hand(w, route, w.file("d/e/" + name)));
                QCOMPARE(visibleState(*w.window), clicked);
                QCOMPARE(w.c().lblFileFrom->text(), w.file("d/e/" + name));
                QVERIFY(messagesShown().isEmpty() && QFile::exists(w.file("d/e/" + name)));
            }
        }
    }

    // A folder opens in the lists; what the file list cannot show, or what is not there, is
    // explained; the window's paths stay as they were.
    void openingWhatCannotBeSelected() {
        CommandWindow w;
        w.write({{"sub/a.txt", "a"}, {"sub/.hidden.txt", "h"}});
        QVERIFY(mkfifo(qPrintable(w.file("sub/pipe")), 0600) == 0);
        QVERIFY(QFile::link(w.file("sub/nowhere.txt"), w.file("sub/gone.txt")));
        const QByteArray bad = QFile::encodeName(w.file("sub/bad")) + "\xff.txt";
        writeNamed(w.file("sub"), "bad\xff.txt", {});
        const auto removeBad = qScopeGuard([&bad] { ::unlink(bad.constData()); });
        // `shown`: the folder the lists show then.
        // clang-format off
        const struct { Route route; QString path, shown, message; } rows[] = {
            {Drop, w.file("sub"), w.file("sub"), ""},
            {Argument, w.file("sub/"), w.file("sub"), ""},
            {Argument, w.file("sub/.hidden.txt"), w.file("sub"), w.file("sub/.hidden.txt") +
             " is a hidden file. The file list does not show hidden files, so it cannot be selected here."},
            {Drop, w.file("sub/pipe"), w.file("sub"), w.file("sub/pipe") +
             " is not a regular file (it is a device, pipe or socket), so it cannot be locked or unlocked."},
            {Argument, w.file("sub/gone.txt"), w.data.path(), w.file("sub/gone.txt") + " is a link to a file that does not exist."},
            {Argument, w.file("missing.txt"), w.data.path(), w.file("missing.txt") + " does not exist."},
            {Argument, QFile::decodeName(bad), w.data.path(), "The name of " + w.file("sub/bad\uFFFD.txt") +
             " cannot be shown in the file list, so it cannot be selected here."},
            {DropTwo, w.file("sub/a.txt"), w.data.path(), "Please drop one file at a time."},
        };
        // clang-format on
        for (const auto& row : rows) {
            w.restart();
            hand(w, row.route, row.path);
            QCOMPARE(messagesShown(),
                     boxesIf(!row.message.isEmpty(), {"Error", vbInformation, row.message}));
            QCOMPARE((QStringList{w.c().Dir1->Path(), w.c().File1->Path(), w.c().File1->FileName(),
                                  w.c().lblFileFrom->text(), w.c().lblFileTo->text()}),
                     (QStringList{row.shown, row.shown, "", "", ""}));
        }
    }

    // Open Folder says when no file manager starts: when nothing could be started, when the
    // desktop's opener (a stand-in here) finds none and says so by its exit status, or when the
    // opener is there but cannot start.
    void openFolderSaysWhenItFails() {
        CommandWindow w;
        const Box noFileManager{"Error", vbExclamation,
                                "No file manager could be started to open the folder " +
                                    w.data.path() + "."};
        setFolderLauncherForTesting([](const QString&) { return false; });
        w.click(w.c().lblOpenFolder);
        QCOMPARE(messagesShown(), Boxes{noFileManager});
        setFolderLauncherForTesting({});
        QTemporaryDir bin;
        const QByteArray path = qgetenv("PATH");
        const auto restorePath = qScopeGuard([&path] { qputenv("PATH", path); });
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
        // clang-format off
        const struct { const char* what; QByteArray script; bool runs, fails; } openers[] = {
            {"finds no file manager", "#!/bin/sh\nprintf %s \"$1\" > \"$0.args\"\nexit 3\n", true, true},
            {"opens the folder", "#!/bin/sh\nprintf %s \"$1\" > \"$0.args\"\nexit 0\n", true, false},
            {"cannot start", "#!/nonexistent/interpreter\n", false, true},
        };
        // clang-format on
        for (const auto& opener : openers) {
            MessageBoxes::clear();
            writeBytes(bin.filePath("xdg-open"), opener.script);
            QVERIFY(QFile::setPermissions(bin.filePath("xdg-open"),
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
            QFile::remove(bin.filePath("xdg-open.args"));
            w.click(w.c().lblOpenFolder);
            if (opener.runs) {
                QTRY_COMPARE(readBytes(bin.filePath("xdg-open.args")),
                             QUrl::fromLocalFile(w.data.path()).toEncoded());
            }
            QTRY_COMPARE(messagesShown(), boxesIf(opener.fails, noFileManager));
        }
    }

    // Every link and mode button is reached with Tab and works with Space or Enter; the links
    // show where the focus is. Delete in the bookmark list removes the selected entry as
    // "Remove Selected Item" does, and saves the list.
    void keyboardOnly() {
        CommandWindow w;
        QStringList launched;
        setFolderLauncherForTesting([&launched](const QString& folder) {
            launched << folder;
            return true;
        });
        w.restartWithList({"/d/a.txt=/d/a_locked.txt", "/d/b.txt=/d/c.txt"});
        w.activate();
        const MainControls& c = w.c();
        const QImage unfocused = c.lblOpenFolder->grab().toImage();
        const auto lastBox = [] { return messagesShown().value(messagesShown().size() - 1); };
        const Box help{"Info", vbInformation, frmMain::kHelpText};
        // clang-format off
        const struct { QWidget* control; Qt::Key key; std::function<bool()> happened; } steps[] = {
            {c.vButton[1], Qt::Key_Space, [&] { return !c.vButton[1]->Collapsed(); }},
            {c.lblOpenFolder, Qt::Key_Return,
             [&] { return launched == QStringList{w.data.path()}; }},
            {c.Label1, Qt::Key_Enter, [&] { return lastBox() == help; }},
            {c.vButton[2], Qt::Key_Return, [&] { return c.frAutomated->isVisible(); }},
            {c.Label2, Qt::Key_Space, [&] { return lastBox() == kConfirm; }},
        };
        // clang-format on
        for (const auto& step : steps) {
            const QString name = step.control->objectName();
            QVERIFY2(tabTo(w.window.get(), step.control), qPrintable(name));
            QVERIFY(step.control != c.lblOpenFolder || step.control->grab().toImage() != unfocused);
            MessageBoxes::setNextAnswer(vbNo);
            QTest::keyClick(step.control, step.key);
            QVERIFY2(step.happened(), qPrintable(name));
        }
        QVERIFY(tabTo(w.window.get(), c.List1));
        QTest::keyClick(c.List1, Qt::Key_End);
        QTest::keyClick(c.List1, Qt::Key_Home); // the first entry
        QTest::keyClick(c.List1, Qt::Key_Delete);
        QCOMPARE(w.items(), QStringList{"/d/b.txt=/d/c.txt"});
        QCOMPARE(readBytes(w.listFile()), listBytes(w.items()));
        QCOMPARE(c.List1->currentRow(), -1);
    }

    // A screen reader hears every input a user reaches with Tab by its caption, or by the caption
    // that goes with it (the password box by the caption of the mode), the mode buttons as page
    // tabs, the selected one as selected, and the links as links, in the first window too. A path
    // too long for its box shows whole in the box's tooltip.
    void screenReaderAndTooltip() {
        CommandWindow w;
        const MainControls& c = w.c();
        // clang-format off
        const QMap<QWidget*, QString> captions{
            {c.vButton[0], "Lock File"}, {c.vButton[1], "Unlock File"}, {c.Dir1, "Folder"},
            {c.vButton[2], "Bookmarked Files"}, {c.List1, "Bookmarked Files"}, {c.File1, "File"},
            {c.txtPassword, "Lock File with the Following Password:"},
            {c.txtPassword1, "The files listed here will be locked using the following password:"}};
        // clang-format on
        QStringList names, expected;
        for (QWidget* control : w.window->findChildren<QWidget*>()) {
            if ((control->focusPolicy() & Qt::TabFocus) && !control->objectName().isEmpty() &&
                control != c.lstBookmarkedItem && control != c.Drive1) {
                names << control->objectName() + ": " +
                             accessible(control)->text(QAccessible::Name);
                expected << control->objectName() + ": " +
                                captions.value(control, captionOf(control));
            }
        }
        QCOMPARE(names, expected);
        QCOMPARE(names.size(), 17);
        // A drop-down list is named by its value on this desktop; what it is for is described.
        QCOMPARE(accessible(c.Drive1)->text(QAccessible::Description), QString("Drive"));
        w.mode(1);
        QCOMPARE(accessible(c.txtPassword)->text(QAccessible::Name),
                 QString("Password to Unlock the File:"));
        QCOMPARE(accessible(c.vButton[1])->role(), QAccessible::PageTab);
        for (int mode = 0; mode < 3; ++mode) { // which mode is selected
            QCOMPARE(accessible(c.vButton[mode])->state().selected, mode == 1);
        }
        QCOMPARE(accessible(c.Label1)->role(), QAccessible::Link);

        for (const QString& text :
             {QString("/d/short.txt"), "/d/" + QString("long").repeated(80)}) {
            c.lblFileTo->setText(text);
            QHelpEvent help(QEvent::ToolTip, QPoint(3, 3), c.lblFileTo->mapToGlobal(QPoint(3, 3)));
            QApplication::sendEvent(c.lblFileTo, &help);
            QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(),
                     text.size() < 20 ? QString() : text);
        }
        QToolTip::hideText();
    }

    // A file whose name is not text is listed, shown with a replacement mark, and a click and a
    // lock read and write that very file; the look-alike whose name holds the mark itself is
    // another file and is left alone. The bookmark list, which is text, refuses the name and
    // stays as it was.
    void namesThatAreNotText() {
        CommandWindow w;
        const QString folder = w.data.path();
        writeNamed(folder, "caf\xe9.txt", "latin");
        writeNamed(folder, "caf\xef\xbf\xbd.txt", "look-alike");
        w.window->lblRefresh_Click();
        const QString exact = decodeFileName("caf\xe9.txt");
        QCOMPARE(itemTexts(*w.c().File1), (QStringList{"caf\uFFFD.txt", "caf\uFFFD.txt"}));
        w.clickFile(exact);
        QCOMPARE(w.c().lblFileTo->text(), folder + '/' + decodeFileName("caf\xe9_locked.txt"));
        // Named on the command line, which gives its bytes, it is selected the same way.
        w.restart();
        QVERIFY(openPath(*w.window, folder + '/' + exact));
        QCOMPARE(w.c().File1->FileName(), exact);
        QCOMPARE(w.c().lblFileFrom->text(), folder + '/' + exact);

        w.run(false, "pw");
        QCOMPARE(messagesShown(), Boxes{kDone});
        QCOMPARE(readNamed(folder, "caf\xe9_locked.txt"), transformed("latin", "pw"));
        QCOMPARE(readNamed(folder, "caf\xef\xbf\xbd.txt"), QByteArray("look-alike"));
        QCOMPARE(readNamed(folder, "caf\xef\xbf\xbd_locked.txt"), QByteArray("<missing>"));
        QCOMPARE(w.c().File1->ListCount(), 3);

        MessageBoxes::clear();
        w.click(w.c().cmdAddToAutomated);
        const Box notText{"Action", vbInformation,
                          "A file name that is not valid text cannot be bookmarked. Please rename "
                          "the file or choose another output name."};
        QCOMPARE(messagesShown(), Boxes{notText});
        QCOMPARE(w.items(), QStringList());
        QVERIFY(!QFile::exists(w.listFile()));
        // Qt cannot remove what it cannot name.
        QProcess::execute("bash", {"-c", "rm -rf -- \"$0\"/*", folder});
    }
};

} // namespace

KELVANE_GUI_TEST(DesktopTest);

} // namespace kelvane::test

#include "DesktopTest.moc"
