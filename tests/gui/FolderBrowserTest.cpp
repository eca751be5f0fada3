#include "TestSupport.h"

#include "ClickableLabel.h"
#include "DirListBox.h"
#include "DriveListBox.h"
#include "FileListBox.h"
#include "FolderLauncher.h"
#include "MsgBox.h"
#include "frmMain.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace kelvane::test {

namespace {

QStringList filesOf(const FileListBox& list) {
    QStringList names;
    for (int i = 0; i < list.ListCount(); ++i) {
        names.append(list.List(i));
    }
    return names;
}

QStringList subfoldersOf(const DirListBox& list) {
    QStringList paths;
    for (int i = 0; i < list.ListCount(); ++i) {
        paths.append(list.List(i));
    }
    return paths;
}

void doubleClick(QListWidget& list, int row) {
    const QRect place = list.visualItemRect(list.item(row));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, place.center());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, place.center());
}

class FolderBrowserTest : public QObject {
    Q_OBJECT

private slots:
    // tree/  alpha.txt  Beta.bin  .hidden.txt  .hiddendir/  sub/deep.txt  "with space"/
    void init() {
        MessageBoxes::clear();
        m_tree = std::make_unique<QTemporaryDir>();
        m_root = m_tree->path();
        QDir root(m_root);
        writeBytes(root.filePath("alpha.txt"), "a");
        writeBytes(root.filePath("Beta.bin"), "b");
        writeBytes(root.filePath(".hidden.txt"), "h");
        for (const char* folder : {"sub", "with space", ".hiddendir"}) {
            QVERIFY(root.mkdir(folder));
        }
        writeBytes(root.filePath("sub/deep.txt"), "d");
        m_program = std::make_unique<ProgramFolder>();
        m_window = std::make_unique<frmMain>();
        m_window->Form_Load();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_launched.clear();
        setFolderLauncherForTesting([this](const QString& folder) {
            m_launched.append(folder);
            return true;
        });
    }

    void cleanup() {
        setFolderLauncherForTesting({});
        m_window.reset();
        m_program.reset();
        m_tree.reset();
    }

    void startsOnTheWorkingFolder() {
        const MainControls& c = m_window->controls();
        const QString cwd = QDir::cleanPath(QDir::currentPath());
        QCOMPARE(c.Dir1->Path(), cwd);
        QCOMPARE(c.File1->Path(), cwd);
        QCOMPARE(c.Drive1->List(0), QString("/"));
        QVERIFY(cwd == c.Drive1->Drive() || cwd.startsWith(c.Drive1->Drive()));
    }

    void listsFollowTheFolder() {
        const MainControls& c = m_window->controls();
        QVERIFY(c.Dir1->setPath(m_root));
        QCOMPARE(c.File1->Path(), m_root);
        QCOMPARE(filesOf(*c.File1), (QStringList{"alpha.txt", "Beta.bin"}));
        QCOMPARE(subfoldersOf(*c.Dir1), (QStringList{m_root + "/sub", m_root + "/with space"}));
        QCOMPARE(c.Dir1->List(-1), m_root);
        QCOMPARE(c.Dir1->List(-2), QFileInfo(m_root).path());

        // Opening a subfolder moves both lists; opening a parent moves them back.
        doubleClick(*c.Dir1, c.Dir1->count() - 2);
        QCOMPARE(c.Dir1->Path(), m_root + "/sub");
        QCOMPARE(filesOf(*c.File1), QStringList{"deep.txt"});
        doubleClick(*c.Dir1, c.Dir1->count() - 2);
        QCOMPARE(c.Dir1->Path(), m_root);
        QCOMPARE(c.File1->Path(), m_root);
    }

    void pickingADriveMovesBothLists() {
        const MainControls& c = m_window->controls();
        QVERIFY(c.Dir1->setPath(m_root + "/sub"));
        m_window->Drive1_Change();
        QCOMPARE(c.Dir1->Path(), c.Drive1->Drive());
        QCOMPARE(c.File1->Path(), c.Drive1->Drive());
    }

    void failingStepsChangeNothing() {
        const MainControls& c = m_window->controls();
        QVERIFY(c.Dir1->setPath(m_root + "/sub"));
        QSignalSpy changed(c.Dir1, &DirListBox::Change);
        QVERIFY(!c.Dir1->setPath(m_root + "/missing"));
        QVERIFY(!c.Dir1->setPath(m_root + "/alpha.txt"));
        QCOMPARE(changed.count(), 0);
        QCOMPARE(c.Dir1->Path(), m_root + "/sub");

        // The shown folder vanishes: Refresh keeps the lists as they were, without a message.
        QVERIFY(QDir(m_root + "/sub").removeRecursively());
        QTest::mouseClick(c.lblRefresh, Qt::LeftButton);
        QCOMPARE(c.Dir1->Path(), m_root + "/sub");
        QCOMPARE(filesOf(*c.File1), QStringList{"deep.txt"});
        QVERIFY(MessageBoxes::shown().isEmpty());
    }

    void refreshShowsOutsideChanges() {
        const MainControls& c = m_window->controls();
        QVERIFY(c.Dir1->setPath(m_root));
        QVERIFY(c.File1->setFileName("Beta.bin"));
        writeBytes(m_root + "/gamma.txt", "g");
        QVERIFY(QFile::remove(m_root + "/alpha.txt"));
        QVERIFY(QDir(m_root).mkdir("new folder"));
        QTest::mouseClick(c.lblRefresh, Qt::LeftButton);
        QCOMPARE(filesOf(*c.File1), (QStringList{"Beta.bin", "gamma.txt"}));
        QCOMPARE(c.File1->FileName(), QString("Beta.bin"));
        QCOMPARE(subfoldersOf(*c.Dir1).size(), 3);
    }

    void openFolderAsksForTheShownFolder() {
        const MainControls& c = m_window->controls();
        QVERIFY(c.Dir1->setPath(m_root + "/with space"));
        QTest::mouseClick(c.lblOpenFolder, Qt::LeftButton);
        QCOMPARE(m_launched, QStringList{m_root + "/with space"});
    }

    void fileClicksAreReportedOnce() {
        const MainControls& c = m_window->controls();
        QVERIFY(c.Dir1->setPath(m_root));
        QSignalSpy clicks(c.File1, &FileListBox::Click);
        const auto click = [&](int row) {
            const QRect place = c.File1->visualItemRect(c.File1->item(row));
            QTest::mouseClick(c.File1->viewport(), Qt::LeftButton, {}, place.center());
        };
        click(0);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(c.File1->FileName(), QString("alpha.txt"));
        click(0);
        QCOMPARE(clicks.count(), 2);
        click(1);
        QCOMPARE(clicks.count(), 3);
        QCOMPARE(c.File1->FileName(), QString("Beta.bin"));
        c.File1->setFocus();
        QTest::keyClick(c.File1, Qt::Key_Up);
        QCOMPARE(clicks.count(), 4);
        QCOMPARE(c.File1->ListIndex(), 0);
        // Reading the folder again raises nothing.
        c.File1->Refresh();
        QVERIFY(c.File1->setPath(m_root + "/sub"));
        QCOMPARE(clicks.count(), 4);
    }

private:
    std::unique_ptr<QTemporaryDir> m_tree;
    std::unique_ptr<ProgramFolder> m_program;
    std::unique_ptr<frmMain> m_window;
    QString m_root;
    QStringList m_launched;
};

} // namespace

KELVANE_GUI_TEST(FolderBrowserTest);

} // namespace kelvane::test

#include "FolderBrowserTest.moc"
