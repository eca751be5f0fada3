#include "TestSupport.h"

#include "FolderLauncher.h"
#include "OpenPath.h"
#include "OutputFaults.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QComboBox>
#include <QDropEvent>
#include <QMimeData>
#include <QScopeGuard>
#include <QToolTip>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvane::test {

namespace {

const QString kDone = "Done | 64 | Done. Process complete.";

// Everything the window shows: its title and, for each named control, whether it shows, whether
// it is enabled, its caption, its items and which one is current, and where the focus is.
QStringList visibleState(const frmMain& window) {
    QStringList state{window.windowTitle()};
    for (const QWidget* control : window.findChildren<QWidget*>()) {
        if (control->objectName().isEmpty()) {
            continue; // parts of a control: viewports, scroll bars
        }
        QString line = control->objectName() + (control->isVisibleTo(&window) ? " shown" : "") +
                       (control->isEnabled() ? "" : " disabled") + " \"" + captionOf(control) + '"';
        if (const auto* list = qobject_cast<const QListWidget*>(control)) {
            line += " [" + itemTexts(*list).join('|') + "] at " +
                    QString::number(list->currentRow()) + " selected " +
                    QString::number(list->selectedItems().size());
        } else if (const auto* drives = qobject_cast<const QComboBox*>(control)) {
            line += ' ' + drives->currentText();
        } else if (const auto* button = qobject_cast<const vFrame*>(control)) {
            line += button->Collapsed() ? " collapsed" : " expanded";
        }
        state << line;
    }
    const QWidget* focus = window.focusWidget();
    return state << "focus " + (focus == nullptr ? QString() : focus->objectName());
}

enum class Route { Argument, DropOnWindow, DropOnPassword, DropTwo };

// Hands `path` to the window as the program's argument or as a drop, and lets the window act.
bool hand(CommandWindow& w, Route route, const QString& path) {
    if (route == Route::Argument) {
        openPathWhenShown(*w.window, path);
        QCoreApplication::processEvents();
        return true;
    }
    QMimeData files;
    QList<QUrl> urls{QUrl::fromLocalFile(path)};
    if (route == Route::DropTwo) {
        urls << QUrl::fromLocalFile(path);
    }
    files.setUrls(urls);
    QWidget* target =
        route == Route::DropOnPassword ? static_cast<QWidget*>(w.c().txtPassword) : w.window.get();
    // With Shift held, the program the file comes from proposes to move it.
    QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction | Qt::MoveAction, &files, Qt::LeftButton,
                          Qt::ShiftModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(2, 2), Qt::CopyAction | Qt::MoveAction, &files, Qt::LeftButton,
                    Qt::ShiftModifier);
    QApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents();
    // Taken as a copy, so that the program the file came from keeps it.
    return enter.isAccepted() && drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

// Presses Tab until `control` has the focus; false when the focus chain does not reach it.
bool tabTo(QWidget* window, QWidget* control) {
    for (int i = 0; i < 60 && QApplication::focusWidget() != control; ++i) {
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window,
                        Qt::Key_Tab);
    }
    return QApplication::focusWidget() == control;
}

QString accessibleName(QWidget* control) {
    return QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
}

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { setFolderLauncherForTesting({}); }

    // Enter in a password box presses the button the password is for, checks included.
    void enterPressesTheButton() {
        const struct {
            bool batch;
            const char* password;
            QString box;
        } rows[] = {
            {false, "pw", kDone},
            {false, "", "Missing info | 64 | Please complete all the fields."},
            {true, "pw", kDone},
            {true, "", "Missing info | 64 | Please enter a password for the files."},
        };
        for (const auto& [batch, password, box] : rows) {
            CommandWindow w;
            w.write("a.txt", "a");
            writeBytes(w.listFile(), listBytes({w.file("a.txt") + '=' + w.file("b_locked.txt")}));
            w.restart();
            w.clickFile("a.txt");
            if (batch) {
                w.mode(2);
            }
            QLineEdit* passwordBox = batch ? w.c().txtPassword1 : w.c().txtPassword;
            CommandWindow::type(passwordBox, password);
            QTest::keyClick(passwordBox, Qt::Key_Return);
            QCOMPARE(messagesShown(), QStringList{box});
            QCOMPARE(QFile::exists(w.file(batch ? "b_locked.txt" : "a_locked.txt")), box == kDone);
        }
    }

    // A file named on the command line or dropped (on the window, or on a password box, which
    // would otherwise take the path as text) leaves the window exactly as a click on it does,
    // from any folder and mode, and the file manager keeps its file.
    void openingAFileIsAClick() {
        const Route routes[] = {Route::Argument, Route::DropOnWindow, Route::DropOnPassword};
        for (const QString name : {"report.txt", "report_locked.txt"}) {
            for (const Route route : routes) {
                for (const int mode : {0, 1}) {
                    CommandWindow w;
                    w.write("d/e/" + name, "x");
                    const auto prepare = [&] {
                        w.mode(mode);
                        CommandWindow::type(w.c().txtPassword, "single");
                        CommandWindow::type(w.c().txtPassword1, "batch");
                    };
                    prepare();
                    w.browse(w.file("d/e"));
                    w.clickFile(name);
                    const QStringList clicked = visibleState(*w.window);
                    w.restart(); // browsing the data folder
                    prepare();
                    QVERIFY(hand(w, route, w.file("d/e/" + name)));
                    QCOMPARE(visibleState(*w.window), clicked);
                    QCOMPARE(w.c().lblFileFrom->text(), w.file("d/e/" + name));
                    QCOMPARE(messagesShown(), QStringList{});
                    QVERIFY(QFile::exists(w.file("d/e/" + name)));
                }
            }
        }
    }

    // A folder opens in the lists; what the file list cannot show, or what is not there, is
    // explained; the window's paths stay as they were.
    void openingWhatCannotBeSelected() {
        const QString d = "<d>";
        const struct {
            Route route;
            const char* path;
            const char* folder; // where the lists are afterwards
            QString box;
        } rows[] = {
            {Route::DropOnWindow, "sub", "sub", ""},
            {Route::Argument, "sub/", "sub", ""},
            {Route::Argument, "sub/.hidden.txt", "sub",
             "<d>/sub/.hidden.txt is a hidden file. The file list does not show hidden files, so "
             "it cannot be selected here."},
            {Route::DropOnWindow, "sub/pipe", "sub",
             "<d>/sub/pipe is not a regular file (it is a device, pipe or socket), so it cannot "
             "be locked or unlocked."},
            {Route::Argument, "sub/gone.txt", "",
             "<d>/sub/gone.txt is a link to a file that does not exist."},
            {Route::Argument, "missing.txt", "", "<d>/missing.txt does not exist."},
            {Route::Argument, "sub/bad\xff.txt", "",
             "The name of <d>/sub/bad\xef\xbf\xbd.txt cannot be shown in the file list, so it "
             "cannot be selected here."},
            {Route::DropTwo, "sub/a.txt", "", "Please drop one file at a time."},
        };
        for (const auto& row : rows) {
            CommandWindow w;
            w.write("sub/a.txt", "a");
            w.write("sub/.hidden.txt", "h");
            QVERIFY(mkfifo(qPrintable(w.file("sub/pipe")), 0600) == 0);
            QVERIFY(QFile::link(w.file("sub/nowhere.txt"), w.file("sub/gone.txt")));
            const QByteArray raw = QFile::encodeName(w.data.path()) + "/sub/bad\xff.txt";
            const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY, 0600);
            QVERIFY(fd >= 0 && ::close(fd) == 0);
            const auto removeRaw = qScopeGuard([&raw] { ::unlink(raw.constData()); });
            const QString path = w.data.path() + '/' + QString::fromUtf8(row.path);
            hand(w, row.route, QFile::decodeName(QFile::encodeName(path)));

            QStringList expected;
            if (!row.box.isEmpty()) {
                expected << "Error | 64 | " + QString(row.box).replace(d, w.data.path());
            }
            QCOMPARE(messagesShown(), expected);
            const QString folder = *row.folder == 0 ? w.data.path() : w.file(row.folder);
            QCOMPARE((QStringList{w.c().Dir1->Path(), w.c().File1->Path(), w.c().File1->FileName(),
                                  w.c().lblFileFrom->text(), w.c().lblFileTo->text()}),
                     (QStringList{folder, folder, "", "", ""}));
        }
    }

    // The failure message stays as it was; the engine's reason is its detailed text. Open
    // Folder says when no file manager starts, also when the desktop's opener finds none.
    void failuresSayWhy() {
        const QString failed(
            "Error | 48 | Something failed. Please notice that if you are trying to lock files in "
            "a root drive (like c:), then the process may not be completed for security reasons. "
            "Please try locating your files inside a folder.");
        const struct {
            const char* output;
            int error; // injected into the first write, or 0
            QString reason;
        } rows[] = {
            {"missing/a_locked.txt", 0, "No such file or directory"},
            {"a_locked.txt", ENOSPC, "No space left on device"},
        };
        for (const auto& [output, error, reason] : rows) {
            CommandWindow w;
            w.write("a.txt", "a");
            w.clickFile("a.txt");
            w.c().lblFileTo->setText(w.file(output));
            CommandWindow::type(w.c().txtPassword, "pw");
            OutputFaults faults;
            if (error != 0) {
                faults.failAt(OutputCall::Write, 1, error);
            }
            w.click(w.c().cmdApply);
            QCOMPARE(MessageBoxes::shown().size(), 1);
            QVERIFY(messagesShown().first().startsWith(failed + " | "));
            const QString details = MessageBoxes::shown().first().details;
            QVERIFY2(details.contains(w.file(output)) && details.contains(reason),
                     qPrintable(details));
        }

        // Open Folder: nothing could be started, or the desktop's opener (a stand-in here) found
        // no file manager and said so by its exit status, or it opened the folder.
        CommandWindow w;
        const QString noFileManager("Error | 48 | No file manager could be started to open the "
                                    "folder " +
                                    w.data.path() + ".");
        setFolderLauncherForTesting([](const QString&) { return false; });
        w.click(w.c().lblOpenFolder);
        QCOMPARE(messagesShown(), QStringList{noFileManager});
        setFolderLauncherForTesting({});
        QTemporaryDir bin;
        const QByteArray path = qgetenv("PATH");
        const auto restorePath = qScopeGuard([&path] { qputenv("PATH", path); });
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
        for (const int status : {3, 0}) {
            MessageBoxes::clear();
            writeBytes(bin.filePath("xdg-open"),
                       "#!/bin/sh\nprintf %s \"$1\" > \"$0.args\"\nexit " +
                           QByteArray::number(status) + "\n");
            QVERIFY(QFile::setPermissions(bin.filePath("xdg-open"),
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
            QFile::remove(bin.filePath("xdg-open.args"));
            w.click(w.c().lblOpenFolder);
            QTRY_COMPARE(readBytes(bin.filePath("xdg-open.args")),
                         QUrl::fromLocalFile(w.data.path()).toEncoded());
            QTRY_COMPARE(messagesShown(), status == 0 ? QStringList{} : QStringList{noFileManager});
        }
    }

    // Every link and mode button is reached with Tab and works with Space or Enter; the links
    // show where the focus is; F5 refreshes; Delete in the bookmark list removes the selected
    // entry as "Remove Selected Item" does, and saves the list.
    void keyboardOnly() {
        CommandWindow w;
        QStringList launched;
        setFolderLauncherForTesting([&launched](const QString& folder) {
            launched << folder;
            return true;
        });
        writeBytes(w.listFile(), listBytes({"/d/a.txt=/d/a_locked.txt", "/d/b.txt=/d/c.txt"}));
        w.restart();
        w.activate();
        const MainControls& c = w.c();
        const QImage unfocused = c.lblOpenFolder->grab().toImage();
        const auto listed = [&c](const QString& name) {
            return !c.File1->findItems(name, Qt::MatchExactly).isEmpty();
        };
        const QString help = "Info | 64 | " + frmMain::kHelpText;
        const struct {
            QWidget* control;
            Qt::Key key;
            std::function<bool()> happened;
        } steps[] = {
            {c.vButton[1], Qt::Key_Space, [&] { return !c.vButton[1]->Collapsed(); }},
            {c.lblRefresh, Qt::Key_Space, [&] { return listed("new.txt"); }},
            {c.lblOpenFolder, Qt::Key_Return,
             [&] { return launched == QStringList{w.data.path()}; }},
            {c.Label1, Qt::Key_Enter, [&] { return messagesShown() == QStringList{help}; }},
            {c.vButton[0], Qt::Key_Enter, [&] { return !c.vButton[0]->Collapsed(); }},
            {c.vButton[2], Qt::Key_Return, [&] { return c.frAutomated->isVisible(); }},
            {c.lblRemoveSelectedItem, Qt::Key_Space,
             [&] { return messagesShown().last() == "Ooops | 64 | Please select an item."; }},
            {c.Label2, Qt::Key_Return,
             [&] { return messagesShown().last() == "Remove Bookmarks | 36 | Confirm action?"; }},
        };
        for (const auto& [control, key, happened] : steps) {
            writeBytes(w.file("new.txt"), "n");
            QVERIFY2(tabTo(w.window.get(), control), qPrintable(control->objectName()));
            if (control == c.lblOpenFolder) {
                QVERIFY(control->grab().toImage() != unfocused);
            }
            MessageBoxes::setNextAnswer(vbNo);
            QTest::keyClick(control, key);
            QVERIFY2(happened(), qPrintable(control->objectName()));
        }
        QVERIFY(QFile::remove(w.file("new.txt")));
        w.mode(0);
        QTest::keyClick(c.File1, Qt::Key_F5);
        QVERIFY(!listed("new.txt"));

        w.mode(2);
        QVERIFY(tabTo(w.window.get(), c.List1));
        QTest::keyClick(c.List1, Qt::Key_End);
        QTest::keyClick(c.List1, Qt::Key_Home); // the first entry
        QTest::keyClick(c.List1, Qt::Key_Delete);
        QCOMPARE(w.items(), QStringList{"/d/b.txt=/d/c.txt"});
        QCOMPARE(readBytes(w.listFile()), listBytes(w.items()));
        QCOMPARE(c.List1->currentRow(), -1);
    }

    // A screen reader hears every input by its caption (the password box by the caption of the
    // mode), the mode buttons as page tabs and the links as links it can press.
    void screenReaderNames() {
        CommandWindow w;
        const MainControls& c = w.c();
        // By their own captions, or by the caption that goes with them.
        const QMap<QWidget*, QString> captions{
            {c.vButton[0], "Lock File"},
            {c.vButton[1], "Unlock File"},
            {c.vButton[2], "Bookmarked Files"},
            {c.Dir1, "Folder"},
            {c.File1, "File"},
            {c.txtPassword, "Lock File with the Following Password:"},
            {c.List1, "Bookmarked Files"},
            {c.txtPassword1, "The files listed here will be locked using the following password:"},
        };
        QStringList names, expected; // of every control a user reaches with Tab
        for (QWidget* control : w.window->findChildren<QWidget*>()) {
            if ((control->focusPolicy() & Qt::TabFocus) && !control->objectName().isEmpty() &&
                control != c.lstBookmarkedItem && control != c.Drive1) {
                names << control->objectName() + ": " + accessibleName(control);
                expected << control->objectName() + ": " +
                                captions.value(control, captionOf(control));
            }
        }
        QCOMPARE(names, expected);
        QCOMPARE(names.size(), 17);
        // A drop-down list is named by its value on this desktop; what it is for is described.
        QCOMPARE(QAccessible::queryAccessibleInterface(c.Drive1)->text(QAccessible::Description),
                 QString("Drive"));
        w.mode(1);
        QCOMPARE(accessibleName(c.txtPassword), QString("Password to Unlock the File:"));

        QAccessibleInterface* tab = QAccessible::queryAccessibleInterface(c.vButton[1]);
        QCOMPARE(tab->role(), QAccessible::PageTab);
        QVERIFY(tab->state().selected);
        QVERIFY(!QAccessible::queryAccessibleInterface(c.vButton[0])->state().selected);
        tab = QAccessible::queryAccessibleInterface(c.vButton[2]);
        tab->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(c.frAutomated->isVisible());
        QAccessibleInterface* link = QAccessible::queryAccessibleInterface(c.Label1);
        QCOMPARE(link->role(), QAccessible::Link);
        link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(messagesShown(), QStringList{"Info | 64 | " + frmMain::kHelpText});
    }

    // A path too long for its box shows whole in the box's tooltip; one that fits has none.
    void wholePathInTooltip() {
        CommandWindow w;
        ClickableLabel* box = w.c().lblFileTo;
        for (const QString& text :
             {QString("/d/short.txt"), "/d/" + QString("long").repeated(80)}) {
            box->setText(text);
            QHelpEvent help(QEvent::ToolTip, QPoint(3, 3), box->mapToGlobal(QPoint(3, 3)));
            QApplication::sendEvent(box, &help);
            QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(),
                     box->textFits() ? QString() : text);
            QCOMPARE(box->textFits(), text.size() < 20);
        }
        QToolTip::hideText();
    }
};

} // namespace

KELVANE_GUI_TEST(DesktopTest);

} // namespace kelvane::test

#include "DesktopTest.moc"
