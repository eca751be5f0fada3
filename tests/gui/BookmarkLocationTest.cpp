#include "TestSupport.h"

#include "BookmarkListLocation.h"

#include <unistd.h>

namespace kelvane::test {

namespace {

// How the program's folder is kept from the user: made read-only, or made an install folder
// (as /usr/bin is, which root can write).
enum class Kept { ReadOnly, Installed };

class BookmarkLocationTest : public QObject {
    Q_OBJECT

private slots:
    void init() { MessageBoxes::clear(); }

    // A portable copy writes its list beside the program, as it always has, and makes nothing in
    // the user's data folder.
    void portableCopyKeepsTheListBesideTheProgram() {
        CommandWindow w;
        w.write("a.txt", "a");
        addBookmark(w, "a.txt");
        QCOMPARE(messagesShown(), QStringList(kAdded));
        QCOMPARE(readBytes(w.listFile()), listBytes(w.items()));
        QVERIFY(!QFile::exists(w.program.userListFile()));
        w.restart();
        QCOMPARE(w.items().size(), 1);
    }

    void installedProgram_data() {
        QTest::addColumn<bool>("installFolder"); // else a read-only folder
        QTest::addColumn<bool>("startingList");
        QTest::newRow("read-only folder") << false << false;
        QTest::newRow("read-only folder with a starting list") << false << true;
        QTest::newRow("install folder") << true << false;
        QTest::newRow("install folder with a starting list") << true << true;
    }

    // Where the program's folder is not the user's to write, the list lives in the user's data
    // folder: the first save makes it, saves succeed and the list survives a restart. A starting
    // list beside the program is read until the user's own list exists, and is never written.
    void installedProgram() {
        QFETCH(bool, installFolder);
        QFETCH(bool, startingList);
        const Kept kept = installFolder ? Kept::Installed : Kept::ReadOnly;
        if (kept == Kept::ReadOnly && ::geteuid() == 0) {
            QSKIP("root may write in a read-only folder; the install folder rows show the same "
                  "rule for root");
        }
        CommandWindow w;
        const QByteArray starting = listBytes({"/d/s.txt=/d/s_locked.txt"});
        if (startingList) {
            writeBytes(w.listFile(), starting);
        }
        KeptFromTheUser keptFolder(w.program.path(), kept);
        w.restart();
        QCOMPARE(w.items(), startingList ? QStringList{"/d/s.txt=/d/s_locked.txt"} : QStringList{});
        QCOMPARE(w.window->BookmarkListPath(), w.program.userListFile());

        w.write("a.txt", "a");
        addBookmark(w, "a.txt");
        QCOMPARE(messagesShown(), QStringList(kAdded));
        const QStringList items = w.items();
        QCOMPARE(readBytes(w.program.userListFile()), listBytes(items));
        w.restart();
        QCOMPARE(w.items(), items);

        // Once the user's list exists, the starting list is not read again.
        w.mode(2);
        w.click(w.c().Label2);
        QCOMPARE(readBytes(w.program.userListFile()), QByteArray());
        w.restart();
        QCOMPARE(w.items(), QStringList{});
        QCOMPARE(readBytes(w.listFile()), startingList ? starting : QByteArray("<unreadable>"));
        QCOMPARE(QDir(w.program.path()).entryList(QDir::Files),
                 startingList ? QStringList{"bookmarked.txt"} : QStringList{});
    }

    // A starting list that cannot be read is reported and left where it is; the user's list is
    // saved all the same.
    void unreadableStartingListIsLeftAlone() {
        CommandWindow w;
        const QByteArray unreadable("/d/a.txt=/d/a_locked.txt\n\0\x01\x02", 28);
        writeBytes(w.listFile(), unreadable);
        KeptFromTheUser keptFolder(w.program.path(), Kept::Installed);
        w.restart();
        QCOMPARE(messagesShown(),
                 QStringList("Bookmarked Files | 48 | The bookmark list " +
                             QDir::toNativeSeparators(w.listFile()) +
                             " could not be read (the file is not a text file). It is left as it "
                             "is, and the list starts empty."));
        MessageBoxes::clear();
        w.write("a.txt", "a");
        addBookmark(w, "a.txt");
        QCOMPARE(messagesShown(), QStringList(kAdded));
        QCOMPARE(readBytes(w.listFile()), unreadable);
        QCOMPARE(QDir(w.program.path()).entryList(QDir::Files), QStringList{"bookmarked.txt"});
    }

private:
    const QString kAdded = "Action | 64 | Done. File added to bookmarks.";

    // The program's folder kept from the user while this lives.
    class KeptFromTheUser {
    public:
        KeptFromTheUser(const QString& folder, Kept kept) : m_folder(folder) {
            if (kept == Kept::Installed) {
                BookmarkListLocation::setExtraInstallFolderForTesting(folder);
            } else {
                QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
            }
        }
        ~KeptFromTheUser() {
            BookmarkListLocation::setExtraInstallFolderForTesting(QString());
            QFile::setPermissions(m_folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        KeptFromTheUser(const KeptFromTheUser&) = delete;
        KeptFromTheUser& operator=(const KeptFromTheUser&) = delete;

    private:
        QString m_folder;
    };

    static void addBookmark(CommandWindow& w, const QString& name) {
        w.mode(0);
        w.clickFile(name);
        w.click(w.c().cmdAddToAutomated);
    }
};

} // namespace

KELVANE_GUI_TEST(BookmarkLocationTest);

} // namespace kelvane::test

#include "BookmarkLocationTest.moc"
