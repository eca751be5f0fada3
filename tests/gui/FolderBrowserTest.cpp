#include "TestSupport.h"

#include "FolderLauncher.h"

#include <QDir>
#include <QSignalSpy>

#include <memory>

namespace kelvane::test {

namespace {

class FolderBrowserTest : public QObject {
    Q_OBJECT

private slots:
    // The program folder: alpha.txt Beta.bin .hidden.txt .hiddendir/ sub/deep.txt "with space"/
    void init() {
        MessageBoxes::clear();
        w = std::make_unique<StartedWindow>();
        root = w->program.path();
        for (const char* folder : {"sub", "with space", ".hiddendir"}) {
            QVERIFY(QDir(root).mkdir(folder));
        }
        for (const char* file : {"alpha.txt", "Beta.bin", ".hidden.txt", "sub/deep.txt"}) {
            writeBytes(root + "/" + file, "x");
        }
        w->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w->window));
    }
    void cleanup() {
        setFolderLauncherForTesting({});
        w.reset();
    }

    void startsOnTheWorkingFolder() {
        const QString cwd = QDir::cleanPath(QDir::currentPath());
        QCOMPARE(QStringList({w->c.Dir1->Path(), w->c.File1->Path()}), QStringList({cwd, cwd}));
        QCOMPARE(w->c.Drive1->List(0), QString("/"));
        QVERIFY(cwd.startsWith(w->c.Drive1->Drive()));
    }

    // "/" comes first and then the mounted volumes where files are kept: no system images, no
    // per-session runtime folders, but removable media wherever they are mounted.
    void driveListLeavesOutSystemVolumes() {
        const std::tuple<QString, QByteArray, bool> rows[] = {
            {"/home", "ext4", true},
            {"/media/usb", "vfat", true},
            {"/run/media/ann/USB STICK", "exfat", true},
            {"/snap/core22/1122", "squashfs", false},
            {"/mnt/image", "squashfs", false},
            {"/run/netns/blue", "nsfs", false},
            {"/run/user/1000", "tmpfs", false},
            {"/run/lock", "tmpfs", false},
        };
        for (const auto& [root, type, listed] : rows) {
            QVERIFY2(DriveListBox::listsVolume(root, type) == listed, qPrintable(root));
        }
    }

    // The file list shows the folder list's folder without hidden entries; opening a subfolder or
    // a parent moves both, and so does picking a drive.
    void listsFollowEachOther() {
        const MainControls& c = w->c;
        const auto paths = [&c] { return QStringList({c.Dir1->Path(), c.File1->Path()}); };
        QVERIFY(c.Dir1->setPath(root));
        QCOMPARE(itemTexts(*c.File1), QStringList({"alpha.txt", "Beta.bin"}));
        QCOMPARE(
            QStringList({c.Dir1->List(-2), c.Dir1->List(-1), c.Dir1->List(0), c.Dir1->List(1)}),
            QStringList({QFileInfo(root).path(), root, root + "/sub", root + "/with space"}));
        QCOMPARE(c.Dir1->ListCount(), 2);
        c.Dir1->setListIndex(0);
        QTest::keyClick(c.Dir1, Qt::Key_Return);
        QCOMPARE(paths(), QStringList({root + "/sub", root + "/sub"}));
        QCOMPARE(itemTexts(*c.File1), QStringList{"deep.txt"});
        c.Dir1->setListIndex(-2);
        QTest::keyClick(c.Dir1, Qt::Key_Return);
        QCOMPARE(paths(), QStringList({root, root}));
        w->window.Drive1_Change();
        QCOMPARE(paths(), QStringList({c.Drive1->Drive(), c.Drive1->Drive()}));
    }

    // A failing step is skipped silently and changes nothing.
    void failingStepsChangeNothing() {
        const MainControls& c = w->c;
        QVERIFY(c.Dir1->setPath(root + "/sub"));
        QSignalSpy changed(c.Dir1, &DirListBox::Change);
        QVERIFY(!c.Dir1->setPath(root + "/missing") && !c.Dir1->setPath(root + "/alpha.txt"));
        QCOMPARE(changed.count(), 0);
        QVERIFY(QDir(root + "/sub").removeRecursively());
        QTest::mouseClick(c.lblRefresh, Qt::LeftButton);
        QCOMPARE(c.Dir1->Path(), root + "/sub");
        QCOMPARE(itemTexts(*c.File1), QStringList{"deep.txt"});
        QCOMPARE(messagesShown(), QStringList());
    }

    // Refresh re-reads the drives, folders and files: it shows changes made outside and keeps the
    // selected file; Open Folder asks the file manager for the shown folder.
    void refreshAndOpenFolder() {
        const MainControls& c = w->c;
        const QString drives = c.Drive1->itemText(0) + ";" + QString::number(c.Drive1->count());
        c.Drive1->addItem("/nowhere");
        c.Drive1->setItemText(0, "stale");
        QVERIFY(c.Dir1->setPath(root));
        QVERIFY(c.File1->setFileName("Beta.bin"));
        writeBytes(root + "/gamma.txt", "g");
        QVERIFY(QFile::remove(root + "/alpha.txt") && QDir(root).mkdir("new folder"));
        QTest::mouseClick(c.lblRefresh, Qt::LeftButton);
        QCOMPARE(itemTexts(*c.File1), QStringList({"Beta.bin", "gamma.txt"}));
        QCOMPARE(c.File1->FileName(), QString("Beta.bin"));
        QCOMPARE(c.Dir1->ListCount(), 3);
        QCOMPARE(c.Drive1->itemText(0) + ";" + QString::number(c.Drive1->count()), drives);

        QStringList launched;
        setFolderLauncherForTesting([&launched](const QString& folder) {
            launched.append(folder);
            return true;
        });
        QVERIFY(c.Dir1->setPath(root + "/with space"));
        QTest::mouseClick(c.lblOpenFolder, Qt::LeftButton);
        QCOMPARE(launched, QStringList{root + "/with space"});
    }

    // Each click, or move with the keyboard, raises Click once; reading a folder raises nothing.
    void fileClicksAreReportedOnce() {
        FileListBox& files = *w->c.File1;
        QVERIFY(w->c.Dir1->setPath(root));
        QSignalSpy clicks(&files, &FileListBox::Click);
        const auto click = [&files](int row) {
            const QPoint place = files.visualItemRect(files.item(row)).center();
            QTest::mouseClick(files.viewport(), Qt::LeftButton, {}, place);
        };
        click(0);
        click(0);
        click(1);
        files.setFocus();
        QTest::keyClick(&files, Qt::Key_Up);
        QCOMPARE(clicks.count(), 4);
        QCOMPARE(files.FileName(), QString("alpha.txt"));
        QVERIFY(files.Refresh() && files.setPath(root + "/sub"));
        QCOMPARE(clicks.count(), 4);
    }

private:
    std::unique_ptr<StartedWindow> w;
    QString root;
};

} // namespace

KELVANE_GUI_TEST(FolderBrowserTest);

} // namespace kelvane::test

#include "FolderBrowserTest.moc"
