#include "TestSupport.h"

#include "vFile.h"
#include "vFrame.h"
#include "vParser.h"
#include "vTools.h"

#include <QDir>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace kelvane::test {

namespace {

QStringList itemsOf(const QListWidget& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i) {
        items.append(list.item(i)->text());
    }
    return items;
}

class ControlLibraryTest : public QObject {
    Q_OBJECT

private slots:
    void replaceEveryOccurrence_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("find");
        QTest::addColumn<QString>("replacement");
        QTest::addColumn<QString>("expected");
        QTest::newRow("doubled separator") << "/tmp//bookmarked.txt"
                                           << "//"
                                           << "/"
                                           << "/tmp/bookmarked.txt";
        QTest::newRow("every occurrence") << "a_locked/b_locked.txt"
                                          << "_locked"
                                          << ""
                                          << "a/b.txt";
        QTest::newRow("case matters") << "A_LOCKED_locked"
                                      << "_locked"
                                      << ""
                                      << "A_LOCKED";
        QTest::newRow("no overlap") << "////"
                                    << "//"
                                    << "/"
                                    << "//";
        QTest::newRow("not found") << "report.txt"
                                   << "_unlocked"
                                   << ""
                                   << "report.txt";
        QTest::newRow("empty find") << "abc"
                                    << ""
                                    << "x"
                                    << "abc";
    }
    void replaceEveryOccurrence() {
        QFETCH(QString, text);
        QFETCH(QString, find);
        QFETCH(QString, replacement);
        QFETCH(QString, expected);
        QCOMPARE(vParser().Replace(text, find, replacement, 0), expected);
    }

    void fileExists() {
        QTemporaryDir dir;
        writeBytes(dir.filePath("a.txt"), "x");
        QDir(dir.path()).mkdir("folder");
        const vTools tools;
        QVERIFY(tools.FileExists(dir.filePath("a.txt"), false));
        QVERIFY(!tools.FileExists(dir.filePath("folder"), false));
        QVERIFY(!tools.FileExists(dir.filePath("missing.txt"), false));
        QVERIFY(!tools.FileExists(QString(), false));
    }

    void splitToList_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("pieces");
        QTest::newRow("bookmark") << "/d/a.txt=/d/a_locked.txt"
                                  << QStringList{"/d/a.txt", "/d/a_locked.txt"};
        QTest::newRow("empty output") << "/d/a.txt=" << QStringList{"/d/a.txt", ""};
        QTest::newRow("three pieces") << "a=b=c" << QStringList{"a", "b", "c"};
        QTest::newRow("no separator") << "abc" << QStringList{"abc"};
        QTest::newRow("empty text") << "" << QStringList{};
    }
    void splitToList() {
        QFETCH(QString, text);
        QFETCH(QStringList, pieces);
        QListWidget list;
        vTools().SplitToList(text, "=", list, "");
        QCOMPARE(itemsOf(list), pieces);
    }

    void listFileRoundTrip_data() {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty list") << QStringList{} << QByteArray();
        QTest::newRow("one entry")
            << QStringList{"/d/a.txt=/d/a_locked.txt"} << QByteArray("/d/a.txt=/d/a_locked.txt\n");
        QTest::newRow("order and duplicates in case")
            << QStringList{"b", "a", "A", "c d"} << QByteArray("b\na\nA\nc d\n");
        QTest::newRow("empty items") << QStringList{"", "x", ""} << QByteArray("\nx\n\n");
        QTest::newRow("utf-8") << QStringList{QString::fromUtf8("/m\u00fcnchen/\u30d5.txt=x")}
                               << QByteArray("/m\xc3\xbcnchen/\xe3\x83\x95.txt=x\n");
    }
    void listFileRoundTrip() {
        QFETCH(QStringList, items);
        QFETCH(QByteArray, bytes);
        QTemporaryDir dir;
        const QString path = dir.filePath("list.txt");
        QListWidget saved;
        saved.addItems(items);
        QVERIFY(vFile().SaveList(saved, path));
        QCOMPARE(readBytes(path), bytes);

        QListWidget loaded;
        QVERIFY(vFile().LoadList(loaded, path));
        QCOMPARE(itemsOf(loaded), items);
    }

    void listFileReading_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("crlf") << QByteArray("a=b\r\nc=d\r\n") << QStringList{"a=b", "c=d"};
        QTest::newRow("no last line end") << QByteArray("a\nb") << QStringList{"a", "b"};
        QTest::newRow("mixed line ends") << QByteArray("a\r\nb\nc") << QStringList{"a", "b", "c"};
        QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbf"
                                                       "a\n")
                                         << QStringList{"a"};
        QTest::newRow("one empty line") << QByteArray("\n") << QStringList{""};
    }
    void listFileReading() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, items);
        QTemporaryDir dir;
        writeBytes(dir.filePath("list.txt"), bytes);
        QListWidget list;
        QVERIFY(vFile().LoadList(list, dir.filePath("list.txt")));
        QCOMPARE(itemsOf(list), items);
    }

    void listFileFailuresAreReported() {
        QTemporaryDir dir;
        const QString path = dir.filePath("list.txt");
        writeBytes(path, "old\n");
        QListWidget list;
        list.addItem("kept");

        // A save that fails leaves the old file whole.
        QListWidget broken;
        broken.addItems({"new", "line\nbreak"});
        QVERIFY(!vFile().SaveList(broken, path));
        QCOMPARE(readBytes(path), QByteArray("old\n"));
        QVERIFY(!vFile().SaveList(list, dir.filePath("missing/list.txt")));
        QDir(dir.path()).mkdir("folder");
        QVERIFY(!vFile().SaveList(list, dir.filePath("folder")));

        // A load that fails leaves the list as it was.
        QVERIFY(!vFile().LoadList(list, dir.filePath("missing.txt")));
        writeBytes(dir.filePath("latin1.txt"), "caf\xe9\n");
        const ListFileStatus status = vFile().LoadList(list, dir.filePath("latin1.txt"));
        QVERIFY(!status);
        QVERIFY(!status.error.isEmpty());
        QCOMPARE(itemsOf(list), QStringList{"kept"});
    }

    void frameButton() {
        vFrame button;
        button.resize(200, 50);
        QSignalSpy raised(&button, &vFrame::ExpandCollapse);
        QVERIFY(button.Collapsed());
        button.setCollapsed(false);
        QVERIFY(!button.Collapsed());
        QCOMPARE(raised.count(), 0);

        QTest::mouseClick(&button, Qt::LeftButton);
        QCOMPARE(raised.count(), 1);
        QTest::keyClick(&button, Qt::Key_Space);
        QCOMPARE(raised.count(), 2);
        QVERIFY(!button.Collapsed());
    }
};

} // namespace

KELVANE_GUI_TEST(ControlLibraryTest);

} // namespace kelvane::test

#include "ControlLibraryTest.moc"
