#include "TestSupport.h"

#include "EngineError.h"
#include "MsgBox.h"
#include "RandomSource.h"
#include "SteppedProcedures.h"
#include "SteppedTransform.h"

#include <QDir>
#include <QTest>

#include <functional>

namespace kelvane::test {

namespace {

using Procedure = std::function<void(const QString&, const QString&, const QString&)>;

class SteppedProceduresTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        MessageBoxes::clear();
        processRandomSource().setState(RandomSource::kInitialState);
    }

    // From the same generator state all four give the same bytes and the same closing box.
    void everyProcedureTransformsAndReports() {
        ProgramFolder folder;
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("tmp")));
        const QString input = folder.file(QStringLiteral("in.bin"));
        writeBytes(input, QByteArray("stepped keystream content \x00\xff", 28));

        RandomSource fresh;
        const QString expected = folder.file(QStringLiteral("expected.bin"));
        SteppedTransform(input, expected, QStringLiteral("Ab"), fresh);

        const std::pair<const char*, Procedure> procedures[] = {
            {"FileEncode", FileEncode},
            {"FileEncodeAndDecode", FileEncodeAndDecode},
            {"FileEncodeAndDecode_original", FileEncodeAndDecode_original},
            {"FileDecode", FileDecode},
        };
        for (const auto& [name, procedure] : procedures) {
            init();
            const QString output = folder.file(QString::fromLatin1(name) + ".out");
            procedure(input, output, QStringLiteral("Ab"));
            QVERIFY2(readBytes(output) == readBytes(expected), name);
            const auto shown = MessageBoxes::shown();
            QCOMPARE(shown.size(), 1);
            QCOMPARE(shown[0].prompt, QStringLiteral("Done! Process complete."));
            QCOMPARE(shown[0].title, QStringLiteral("Ready"));
            QCOMPARE(shown[0].style, 64);
        }
        QCOMPARE(readBytes(folder.file(QStringLiteral("tmp/1.txt"))), readBytes(input));
    }

    // A failure reaches the caller and shows no box; FileDecode needs the tmp folder.
    void failuresShowNoMessage() {
        ProgramFolder folder;
        const QString input = folder.file(QStringLiteral("in.bin"));
        writeBytes(input, "content");
        const QString output = folder.file(QStringLiteral("out.bin"));

        QVERIFY_THROWS_EXCEPTION(EngineError, FileDecode(input, output, QStringLiteral("pw")));
        QVERIFY(!QFile::exists(output));
        QVERIFY_THROWS_EXCEPTION(EngineError, FileEncode(folder.file(QStringLiteral("none")),
                                                         output, QStringLiteral("pw")));
        QVERIFY(!QFile::exists(output));
        QVERIFY(!QFile::exists(folder.file(QStringLiteral("none"))));
        QVERIFY(MessageBoxes::shown().isEmpty());
    }
};

} // namespace

KELVANE_GUI_TEST(SteppedProceduresTest);

} // namespace kelvane::test

#include "SteppedProceduresTest.moc"
