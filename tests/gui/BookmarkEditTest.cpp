#include "BookmarkTestWindow.h"

#include "Runtime.h"

#include <QDir>

namespace kelvane::test {

namespace {

using Pair = QPair<QString, QString>;

const QString kAdded("Action | 64 | Done. File added to bookmarks.");
const QString kInvalid("Missing info | 64 | Please select a valid file.");
const QString kNoSelection("Ooops | 64 | Please select an item.");
const QString kConfirm("Remove Bookmarks | 36 | Confirm action?");
const QStringList kThree{"/d/a.txt=/d/a_locked.txt", "/d/b.txt=/d/b_locked.txt",
                         "/d/c.txt=/d/c_locked.txt"};

class BookmarkEditTest : public QObject {
    Q_OBJECT

private slots:
    void init() { MessageBoxes::clear(); }

    void add_data() {
        QTest::addColumn<QList<Pair>>("adds");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<int>("selected");
        QTest::newRow("nothing selected")
            << QList<Pair>{{"", ""}} << QStringList{kInvalid} << QStringList{} << -1;
        QTest::newRow("a dot only in the folder")
            << QList<Pair>{{"/my.d/README", "/my.d/R.x"}} << QStringList{kAdded}
            << QStringList{"/my.d/README=/my.d/R.x"} << -1;
        QTest::newRow("duplicate stays selected")
            << QList<Pair>{{"/d/a.txt", "/d/a_locked.txt"},
                           {"/d/b.txt", "/d/b_locked.txt"},
                           {"/d/c.txt", "/d/c_locked.txt"},
                           {"/d/b.txt", "/d/b_locked.txt"}}
            << QStringList{kAdded, kAdded, kAdded, "Action | 64 | Bookmarked file already exists."}
            << kThree << 1;
        QTest::newRow("case differs, renamed output")
            << QList<Pair>{{"/d/a.txt", "/d/a_locked.txt"},
                           {"/d/A.txt", "/d/A_locked.txt"},
                           {"/d/a.txt", "/d/secret.bin"}}
            << QStringList{kAdded, kAdded, kAdded}
            << QStringList{"/d/a.txt=/d/a_locked.txt", "/d/A.txt=/d/A_locked.txt",
                           "/d/a.txt=/d/secret.bin"}
            << 1;
        const QString refused("Action | 64 | A path that contains \"=\" cannot be bookmarked. "
                              "Please choose another file or output name.");
        QTest::newRow("\"=\" in a path")
            << QList<Pair>{{"/d/a=b.txt", "/d/a=b_locked.txt"}, {"/d/a.txt", "/d/x=y"}}
            << QStringList{refused, refused} << QStringList{} << -1;
    }
    void add() {
        QFETCH(QList<Pair>, adds);
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, items);
        QFETCH(int, selected);
        BookmarkTestWindow w;
        for (const auto& [from, to] : adds) {
            w.add(from, to);
        }
        QCOMPARE(shownBoxes(), boxes);
        QCOMPARE(w.items(), items);
        QCOMPARE(w.c().List1->currentRow(), selected);
        QCOMPARE(readBytes(w.listFile()), items.isEmpty() ? "<unreadable>" : listBytes(items));
        w.restart();
        QCOMPARE(w.items(), items);
    }

    void removeSelected() {
        BookmarkTestWindow w;
        writeBytes(w.listFile(), listBytes(kThree));
        w.restart();
        writeBytes(w.listFile(), "not saved\n");
        w.click(w.c().lblRemoveSelectedItem);
        QCOMPARE(readBytes(w.listFile()), QByteArray("not saved\n"));

        w.select(1);
        w.click(w.c().lblRemoveSelectedItem);
        QCOMPARE(readBytes(w.listFile()), listBytes({kThree[0], kThree[2]}));
        // No neighbour is selected in its place.
        w.click(w.c().lblRemoveSelectedItem);
        QCOMPARE(shownBoxes(), (QStringList{kNoSelection, kNoSelection}));
        QCOMPARE(w.items(), (QStringList{kThree[0], kThree[2]}));
    }

    void removeAll_data() {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("answer");
        QTest::newRow("No") << kThree << int(vbNo);
        QTest::newRow("Yes") << kThree << int(vbYes);
        QTest::newRow("Yes on an empty list") << QStringList{} << int(vbYes);
    }
    void removeAll() {
        QFETCH(QStringList, before);
        QFETCH(int, answer);
        BookmarkTestWindow w;
        writeBytes(w.listFile(), listBytes(before));
        w.restart();
        MessageBoxes::setNextAnswer(answer);
        w.click(w.c().Label2);
        const QStringList after = answer == vbNo ? before : QStringList{};
        QCOMPARE(shownBoxes(), QStringList{kConfirm});
        QCOMPARE(w.items(), after);
        QCOMPARE(readBytes(w.listFile()), listBytes(after));
    }

    // A change that could not be saved stays in the window and is reported instead.
    void failedSaveIsReported() {
        BookmarkTestWindow w;
        w.add("/d/a.txt", "/d/a_locked.txt");
        const QString missing = QFileInfo(w.listFile()).path() + "/missing";
        setProgramFolderForTesting(missing);
        MessageBoxes::clear();
        w.add("/d/b.txt", "/d/b_locked.txt");
        w.select(0);
        w.click(w.c().lblRemoveSelectedItem);
        MessageBoxes::setNextAnswer(vbYes);
        w.click(w.c().Label2);

        const auto failed = [&](const QString& done) {
            return "Bookmarked Files | 48 | " + done +
                   ", but the bookmark list could not be saved to " +
                   QDir::toNativeSeparators(missing + "/bookmarked.txt") +
                   ". The list on disk is unchanged.";
        };
        QCOMPARE(shownBoxes(),
                 (QStringList{failed("File added to bookmarks"), failed("Item removed"), kConfirm,
                              failed("All items removed")}));
        QCOMPARE(readBytes(w.listFile()), QByteArray("/d/a.txt=/d/a_locked.txt\n"));
    }
};

} // namespace

KELVANE_GUI_TEST(BookmarkEditTest);

} // namespace kelvane::test

#include "BookmarkEditTest.moc"
