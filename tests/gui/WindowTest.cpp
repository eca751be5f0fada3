// SPDX-License-Identifier: MIT
#include "tests/gui/TestSupport.h"

#include "app/DesktopIdentity.h"
#include "window/FormScroller.h"
#include "window/Layout.h"

#include <QMessageBox>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>

#include <map>

namespace kelvane::test {

namespace {

const QRect kFrame(18, 165, 1084, 436); // frContainer as designed, in pixels

// Every control of the design is built as it says: its parent, its caption, where it
// is (within half a pixel), whether it shows and its font. Then the focus chain visits
// the focusable ones in tab order, and the form opens with the focus on the first of them.
void checkForm(QWidget& form, const layout::FormDesign& design) {
    QCOMPARE(form.windowTitle(), QString(design.caption));
    QCOMPARE(form.size(), QSize(design.clientWidth, design.clientHeight) / 15);
    std::map<int, QString> focusable;
    for (const layout::ControlDesign& row : design.controls) {
        const QList<QWidget*> named = form.findChildren<QWidget*>(row.name);
        QVERIFY2(named.size() == 1, row.name);
        const QWidget* c = named.first();
        QCOMPARE(c->parentWidget()->objectName(), QString(row.parent));
        QCOMPARE(captionOf(c), QString(row.caption));
        const QRect twips(c->pos() * 15, c->size() * 15);
        QVERIFY2(qAbs(twips.left() - row.rect.left) <= 7 && qAbs(twips.top() - row.rect.top) <= 7 &&
                     qAbs(twips.width() - row.rect.width) <= 7 &&
                     qAbs(twips.height() - row.rect.height) <= 7,
                 row.name);
        QCOMPARE(c->isVisibleTo(c->parentWidget()), !row.look.hidden);
        const QFont font = c->font();
        QCOMPARE(font.families().value(0),
                 row.font.points > 0 ? "Verdana" : QApplication::font().families().value(0));
        QVERIFY2(row.font.points == 0 ||
                     (font.pointSizeF() == row.font.points && font.bold() == row.font.bold),
                 row.name);
        // A link is underlined; nothing else is.
        QCOMPARE(font.underline(), row.look.link);
        if (c->focusPolicy() & Qt::TabFocus) {
            QVERIFY2(focusable.emplace(row.tab, row.name).second, row.name);
        }
    }
    QStringList expected, visited;
    for (const auto& [tab, name] : focusable) {
        expected.append(name);
    }
    QVERIFY(!expected.isEmpty());
    QWidget* control = form.findChild<QWidget*>(expected.first());
    for (; visited.size() < expected.size(); control = control->nextInFocusChain()) {
        if (expected.contains(control->objectName())) {
            visited.append(control->objectName());
        }
    }
    QCOMPARE(visited, expected);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(QApplication::focusWidget()->objectName(), expected.first());
}

class WindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() { MessageBoxes::clear(); }

    // The main window and the file name dialog, each as designed.
    void layoutAsDesigned() {
        frmMain window;
        checkForm(window, layout::mainWindowDesign());
        frmFileName dialog;
        checkForm(dialog, layout::fileNameDialogDesign());
    }

    // Start-up shows the working folder, "/" first among the drives, and marks Lock File as the
    // mode without running the mode switch, so the captions stay as designed; with no list file
    // the list is empty and no file is made. The window names its desktop entry and has an icon
    // of every size even where no icon theme has it.
    void windowAfterStartUp() {
        DesktopIdentity::apply();
        ProgramFolder program;
        frmMain window;
        window.Form_Load();
        const MainControls& c = window.controls();
        const QString cwd = QDir::cleanPath(QDir::currentPath());
        QVERIFY(c.lblBy->text().startsWith("by ") && cwd.startsWith(c.Drive1->Drive()));
        QCOMPARE(
            (QStringList{window.windowTitle(), c.lblFileFrom_Caption->text(), c.Dir1->Path(),
                         c.File1->Path(), c.Drive1->List(0)}),
            (QStringList{"Kelvane Pro 1.2 " + c.lblBy->text(), "File to Lock:", cwd, cwd, "/"}));
        QVERIFY(!c.vButton[0]->Collapsed() && c.vButton[1]->Collapsed() &&
                c.vButton[2]->Collapsed() && !c.cmdAddToAutomated->isVisibleTo(&window));
        QCOMPARE(c.List1->count(), 0);
        QVERIFY(!QFile::exists(program.file("bookmarked.txt")));
        QCOMPARE(messagesShown(), Boxes());
        QCOMPARE(QGuiApplication::desktopFileName(), QString("org.kelvane.Kelvane"));
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            QCOMPARE(window.windowIcon().pixmap(size).size(), QSize(size, size));
        }
    }

    // A list written by the legacy program, in its Windows code page, with its line ends and
    // empty lines, is read as such and kept until the next save writes UTF-8. One that is no text
    // at all is kept under another name and reported; when it cannot be set aside either, it is
    // left in place and never overwritten.
    void listFileAtStartUp() {
        const QByteArray unreadable("/d/a.txt=/d/a_locked.txt\n\0\x01\x02", 28);
        // clang-format off
        const struct { QByteArray bytes; bool setAsideFails; QStringList items; } rows[] = {
            {"C:\\Docs\\caf\xe9 \x80.txt=C:\\x.txt\r\n\r\nx", false, {"C:\\Docs\\caf\u00e9 \u20ac.txt=C:\\x.txt", "", "x"}},
            {unreadable, false, {}},
            {unreadable, true, {}},
        };
        // clang-format on
        for (const auto& row : rows) {
            MessageBoxes::clear();
            ProgramFolder folder;
            const QString path = folder.file("bookmarked.txt");
            writeBytes(path, row.bytes);
            frmMain window;
            {
                OutputFaults faults;
                faults.failAt(OutputCall::Rename, row.setAsideFails ? 1 : 0, EACCES);
                window.Form_Load();
            }
            const QStringList aside = QDir(folder.path()).entryList({"bookmarked.txt.*"});
            const QString kept = aside.isEmpty() ? path : folder.file(aside[0]);
            QCOMPARE(itemTexts(*window.controls().List1), row.items);
            const QString after =
                row.setAsideFails ? "It is left as it is, and changes to the "
                                    "list will not be saved while it is there."
                                  : "It has been kept as " + kept + " and the list starts empty.";
            QCOMPARE(messagesShown(), boxesIf(row.items.isEmpty(), unreadableList(path, after)));
            QCOMPARE(readBytes(kept), row.bytes);
            window.controls().List1->addItem("/d/x.txt=/d/x_locked.txt");
            QCOMPARE(window.SaveBookmarks(), !row.setAsideFails);
            QCOMPARE(readBytes(path), row.setAsideFails
                                          ? row.bytes
                                          : listBytes(itemTexts(*window.controls().List1)));
            // The list, what was set aside and the portable marker: no temporary is left.
            QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(),
                     2 + aside.size());
        }
    }

    // Only the single-file frame follows the window's outer size; a window smaller than the form
    // scrolls over the form at its full size.
    void resizeFitsOnlyTheSingleFileFrame() {
        CommandWindow w;
        const MainControls& c = w.c();
        const QSize form(1127, 637);
        for (const QSize size : {QSize(1300, 900), QSize(30, 700), QSize(20, 20)}) {
            w.window->resize(size);
            QTRY_COMPARE(w.window->size(), size);
            w.window->scroller().horizontal().setValue(0);
            w.window->scroller().vertical().setValue(0);
            // The frame follows the outer size (in twips) less the margins around it.
            const QSize frame = w.window->frameGeometry().size() - size;
            const QSize outer = (size.expandedTo(form) + frame) * 15;
            QTRY_COMPARE(
                c.frContainer->geometry(),
                QRect(kFrame.topLeft(), QSize(qRound(std::max(0, outer.width() - 500) / 15.0),
                                              qRound(std::max(0, outer.height() - 3500) / 15.0))));
            QCOMPARE(c.frAutomated->geometry(), kFrame);
        }
    }

    // The "Please Wait..." label blinks while the indicator runs, and stopping the indicator while
    // the label shows hides it. Activation re-reads the lists, as when the file name dialog closes.
    void pleaseWaitAndActivation() {
        CommandWindow w;
        w.window->PleaseWaitStart();
        QTRY_VERIFY_WITH_TIMEOUT(w.c().lblPleaseWait->isVisible(), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(!w.c().lblPleaseWait->isVisible(), 2000);
        QTRY_VERIFY_WITH_TIMEOUT(w.c().lblPleaseWait->isVisible(), 2000);
        w.window->PleaseWaitStop();
        w.window->EnableInputs(true);
        QVERIFY(w.ready());

        w.activate();
        frmFileName dialog(w.window.get());
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        writeBytes(w.file("while-dialog.txt"), "x");
        dialog.close();
        w.activate(); // what the desktop does when the dialog goes
        QTRY_COMPARE(itemTexts(*w.c().File1), QStringList("while-dialog.txt"));
    }

    // Each legacy style shows its buttons, its default and its icon, and answers with the button
    // pressed; Esc on a question answers No. The buttons decide whether a question is a choice.
    // Every box is at least as wide as its title needs on a title bar, also when the prompt is
    // short.
    void messageBoxButtons_data() {
        using B = QMessageBox;
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("title");
        QTest::addColumn<B::StandardButtons>("buttons");
        QTest::addColumn<B::StandardButton>("defaultButton");
        QTest::addColumn<B::Icon>("icon");
        QTest::addColumn<B::StandardButton>("pressed"); // NoButton: Esc
        QTest::addColumn<int>("answer");
        // clang-format off
        QTest::addRow("information") << int(vbInformation) << "Lock All the Bookmarked Files: what was locked" << B::StandardButtons(B::Ok) << B::Ok << B::Information << B::Ok << int(vbOK);
        QTest::addRow("OK, Cancel") << int(vbOKCancel) << "Title" << (B::Ok | B::Cancel) << B::Ok << B::NoIcon << B::Cancel << int(vbCancel);
        QTest::addRow("Abort, Retry, Ignore") << vbAbortRetryIgnore + vbCritical << "Error" << (B::Abort | B::Retry | B::Ignore) << B::Abort << B::Critical << B::Ignore << int(vbIgnore);
        QTest::addRow("Yes, No, Cancel, the second the default") << vbYesNoCancel + vbDefaultButton2 << "Title" << (B::Yes | B::No | B::Cancel) << B::No << B::NoIcon << B::Yes << int(vbYes);
        QTest::addRow("question, Esc") << vbYesNo + vbQuestion << "Remove Bookmarks" << (B::Yes | B::No) << B::Yes << B::Question << B::NoButton << int(vbNo);
        QTest::addRow("Retry, Cancel") << vbRetryCancel + vbExclamation << "Title" << (B::Retry | B::Cancel) << B::Retry << B::Warning << B::Retry << int(vbRetry);
        // clang-format on
    }
    void messageBoxButtons() {
        QFETCH(int, style);
        QFETCH(QString, title);
        QFETCH(QMessageBox::StandardButton, pressed);
        MessageBoxes::setTestMode(false);
        const auto testMode = qScopeGuard([] { MessageBoxes::setTestMode(true); });
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        int width = 0;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box != nullptr && QTest::qWaitForWindowExposed(box));
            buttons = box->standardButtons();
            defaultButton = box->standardButton(box->defaultButton());
            icon = box->icon();
            width = box->width();
            if (pressed == QMessageBox::NoButton) {
                QTest::keyClick(box, Qt::Key_Escape);
            } else if (box->button(pressed) != nullptr) {
                box->button(pressed)->click();
            } else {
                box->done(0); // the button is missing: the comparisons below say so
            }
        });
        QTEST(MsgBox("x", style, title), "answer");
        QTEST(buttons, "buttons");
        QTEST(defaultButton, "defaultButton");
        QTEST(icon, "icon");
        // The title in bold, and three window buttons of at least 32 pixels each.
        QFont titleFont = QApplication::font();
        titleFont.setBold(true);
        QVERIFY(width >= QFontMetrics(titleFont).horizontalAdvance(title) + 3 * 32);
    }

    // Refresh shows every change of the folder, also one that keeps the number and the lengths
    // of its names or changes only what an entry is; the selected file stays selected. With
    // nothing changed the lists stay as they were.
    void refreshShowsEachChange() {
        // What happens to the browsed folder between two readings, `elsewhere` holding the
        // link's file, and the lists then.
        using Change = std::function<bool(CommandWindow&, const QTemporaryDir&)>;
        // clang-format off
        const struct { const char* name; Change change; QStringList files, folders; } rows[] = {
            {"nothing", [](auto&, auto&) { return true; }, {"a.txt", "link", "Z.txt"}, {"x"}},
            {"a file added", [](CommandWindow& w, auto&) { return QFile::copy(w.file("a.txt"), w.file("b.txt")); },
             {"a.txt", "b.txt", "link", "Z.txt"}, {"x"}},
            {"a file renamed to a name as long", [](CommandWindow& w, auto&) { return QFile::rename(w.file("a.txt"), w.file("c.txt")); },
             {"c.txt", "link", "Z.txt"}, {"x"}},
            {"a folder replaced by a file of its name", [](CommandWindow& w, auto&) {
                 return QDir(w.file("x")).removeRecursively() && QFile::copy(w.file("a.txt"), w.file("x")); },
             {"a.txt", "link", "x", "Z.txt"}, {}},
            {"the file of a link removed elsewhere", [](auto&, const QTemporaryDir& elsewhere) {
                 return QFile::remove(elsewhere.filePath("target")); }, {"a.txt", "Z.txt"}, {"x"}},
        };
        // clang-format on
        for (const auto& row : rows) {
            CommandWindow w;
            const MainControls& c = w.c();
            QTemporaryDir elsewhere;
            writeBytes(elsewhere.filePath("target"), "t");
            QVERIFY(QFile::link(elsewhere.filePath("target"), w.file("link")));
            w.write({{"a.txt", "a"}, {"Z.txt", "z"}, {"x/inside", "i"}});
            QCOMPARE(itemTexts(*c.File1), QStringList({"a.txt", "link", "Z.txt"}));
            QVERIFY(c.File1->setFileName("Z.txt"));
            QVERIFY2(row.change(w, elsewhere), row.name);
            w.window->lblRefresh_Click();
            QStringList listed;
            for (int i = 0; i < c.Dir1->ListCount(); ++i) {
                listed.append(QFileInfo(c.Dir1->List(i)).fileName());
            }
            QCOMPARE((QList<QStringList>{
                         itemTexts(*c.File1), listed, {c.File1->FileName(), c.Dir1->Path()}}),
                     (QList<QStringList>{row.files, row.folders, {"Z.txt", w.data.path()}}));
        }
    }

    // The file list shows the folder list's folder without hidden entries; opening a subfolder
    // or a parent moves both, and so does picking a drive. A failing step changes nothing and
    // says nothing. Each click on a file, or move with the keyboard, raises Click once; reading
    // a folder raises nothing. Refresh re-reads the drives too.
    void browsing() {
        CommandWindow w;
        const MainControls& c = w.c();
        const QString root = w.data.path();
        for (const char* file : {"alpha.txt", "Beta.bin", ".hidden.txt", "sub/deep.txt",
                                 "with space/x", ".hiddendir/x"}) {
            w.write(file, "x");
        }
        const auto at = [&c] { return c.Dir1->Path() + " " + c.File1->Path(); };
        QCOMPARE(itemTexts(*c.File1), QStringList({"alpha.txt", "Beta.bin"}));
        QCOMPARE(
            QStringList({c.Dir1->List(-2), c.Dir1->List(-1), c.Dir1->List(0), c.Dir1->List(1)}),
            QStringList({QFileInfo(root).path(), root, root + "/sub", root + "/with space"}));
        QCOMPARE(c.Dir1->ListCount(), 2);
        QSignalSpy changed(c.Dir1, &DirListBox::Change);
        QVERIFY(!c.Dir1->setPath(root + "/missing") && !c.Dir1->setPath(root + "/alpha.txt"));
        QCOMPARE(changed.count(), 0);
        c.Dir1->setListIndex(0);
        QTest::keyClick(c.Dir1, Qt::Key_Return);
        QCOMPARE(at(), root + "/sub " + root + "/sub");
        QVERIFY(QDir(root + "/sub").removeRecursively());
        QTest::mouseClick(c.lblRefresh, Qt::LeftButton);
        QCOMPARE(at(), root + "/sub " + root + "/sub");
        QCOMPARE(itemTexts(*c.File1), QStringList{"deep.txt"});
        c.Dir1->setListIndex(-2);
        QTest::keyClick(c.Dir1, Qt::Key_Return);
        QCOMPARE(at(), root + ' ' + root);

        FileListBox& files = *c.File1;
        QSignalSpy clicks(&files, &FileListBox::Click);
        QTest::mouseClick(files.viewport(), Qt::LeftButton, {},
                          files.visualRect(files.model()->index(1, 0)).center());
        QTest::keyClick(&files, Qt::Key_Up);
        QCOMPARE(files.FileName(), QString("alpha.txt"));
        QVERIFY(files.Refresh() && files.setPath(root + "/with space") && files.setPath(root));
        QCOMPARE(clicks.count(), 2);

        const QString drives = c.Drive1->itemText(0) + ";" + QString::number(c.Drive1->count());
        c.Drive1->addItem("/nowhere");
        c.Drive1->setItemText(0, "stale");
        QTest::mouseClick(c.lblRefresh, Qt::LeftButton);
        QCOMPARE(c.Drive1->itemText(0) + ";" + QString::number(c.Drive1->count()), drives);
        w.window->Drive1_Change();
        QCOMPARE(at(), c.Drive1->Drive() + ' ' + c.Drive1->Drive());
        QCOMPARE(MessageBoxes::shown().size(), 0);
    }
};

} // namespace

KELVANE_GUI_TEST(WindowTest);

} // namespace kelvane::test

#include "WindowTest.moc"
