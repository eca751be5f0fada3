#include "TestSupport.h"

#include "vFile.h"
#include "vParser.h"
#include "vTools.h"

namespace kelvane::test {

namespace {

class ControlLibraryTest : public QObject {
    Q_OBJECT

private slots:
    void replaceSplitAndFileExists() {
        // Every occurrence, case-sensitive, left to right without overlap; an empty find is no-op.
        const char* const replaced[][4] = {{"a_locked/b_locked.txt", "_locked", "", "a/b.txt"},
                                           {"A_LOCKED_locked", "_locked", "", "A_LOCKED"},
                                           {"////", "//", "/", "//"},
                                           {"abc", "", "x", "abc"}};
        for (const auto& [text, find, replacement, expected] : replaced) {
            QCOMPARE(vParser().Replace(text, find, replacement, 0), QString(expected));
        }
        const std::pair<QString, QStringList> split[] = {
            {"/d/a.txt=", {"/d/a.txt", ""}}, {"a=b=c", {"a", "b", "c"}}, {"", {}}};
        for (const auto& [text, pieces] : split) {
            QListWidget list;
            vTools().SplitToList(text, "=", list, "");
            QCOMPARE(itemTexts(list), pieces);
        }
        QTemporaryDir dir;
        writeBytes(dir.filePath("a.txt"), "x");
        QVERIFY(vTools().FileExists(dir.filePath("a.txt"), false));
        QVERIFY(!vTools().FileExists(dir.path(), false)); // a folder is no file
        QVERIFY(!vTools().FileExists(dir.filePath("missing.txt"), false));
    }

    // One UTF-8 item per line; reading also takes "\r\n" and a missing last line end.
    void listFile_data() {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("written"); // whether saving the items gives exactly these bytes
        QTest::newRow("empty items") << QStringList{"", "x", ""} << QByteArray("\nx\n\n") << true;
        QTest::newRow("utf-8") << QStringList{QString::fromUtf8("/m\u00fcnchen/\u30d5.txt=x")}
                               << QByteArray("/m\xc3\xbcnchen/\xe3\x83\x95.txt=x\n") << true;
        QTest::newRow("crlf, no last line end")
            << QStringList{"a=b", "c"} << QByteArray("a=b\r\nc") << false;
    }
    void listFile() {
        QFETCH(QStringList, items);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, written);
        QTemporaryDir dir;
        const QString path = dir.filePath("list.txt");
        QListWidget list;
        list.addItems(items);
        if (written) {
            QVERIFY(vFile().SaveList(list, path));
            QCOMPARE(readBytes(path), bytes);
        } else {
            writeBytes(path, bytes);
        }
        list.clear();
        QVERIFY(vFile().LoadList(list, path));
        QCOMPARE(itemTexts(list), items);
    }

    // An item that holds a line break cannot be saved, and the old file stays whole.
    void failedSaveKeepsTheOldFile() {
        QTemporaryDir dir;
        const QString path = dir.filePath("list.txt");
        writeBytes(path, "old\n");
        QListWidget list;
        list.addItems({"new", "line\nbreak"});
        QVERIFY(!vFile().SaveList(list, path));
        QCOMPARE(readBytes(path), QByteArray("old\n"));
    }
};

} // namespace

KELVANE_GUI_TEST(ControlLibraryTest);

} // namespace kelvane::test

#include "ControlLibraryTest.moc"
