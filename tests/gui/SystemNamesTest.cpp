// SPDX-License-Identifier: MIT
#include "engine/FileName.h"
#include "tests/gui/TestSupport.h"
#include "window/OpenPath.h"

#include <QProcess>

#include <fcntl.h>
#include <unistd.h>

namespace kelvane::test {

namespace {

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

class SystemNamesTest : public QObject {
    Q_OBJECT

private slots:
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
        int row = -1;
        for (int i = 0; i < w.c().File1->ListCount(); ++i) {
            row = w.c().File1->List(i) == exact ? i : row;
        }
        QVERIFY(row >= 0);
        QCOMPARE(itemTexts(*w.c().File1), (QStringList{"caf\uFFFD.txt", "caf\uFFFD.txt"}));
        const QRect place = w.c().File1->visualRect(w.c().File1->model()->index(row, 0));
        QTest::mouseClick(w.c().File1->viewport(), Qt::LeftButton, {}, place.center());
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

KELVANE_GUI_TEST(SystemNamesTest);

} // namespace kelvane::test

#include "SystemNamesTest.moc"
