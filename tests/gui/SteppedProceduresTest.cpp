// SPDX-License-Identifier: MIT
#include "tests/gui/TestSupport.h"

#include "engine/EngineError.h"
#include "engine/RandomSource.h"
#include "engine/SteppedTransform.h"
#include "window/SteppedProcedures.h"

#include <QDir>

namespace kelvane::test {

namespace {

class SteppedProceduresTest : public QObject {
    Q_OBJECT

private slots:
    // From the same generator state all four give the same bytes and the same closing box.
    // FileDecode works on a copy in tmp/1.txt under the program's folder: without that folder
    // it fails before writing anything and shows no box.
    void everyProcedureTransformsAndReports() {
        ProgramFolder folder;
        const QString input = folder.file("in.bin");
        const QString output = folder.file("out.bin");
        writeBytes(input, QByteArray("stepped keystream content \x00\xff", 28));
        MessageBoxes::clear();
        QVERIFY_THROWS_EXCEPTION(EngineError, FileDecode(input, output, "pw"));
        QVERIFY(!QFile::exists(output));
        QCOMPARE(messagesShown(), Boxes());

        QVERIFY(QDir(folder.path()).mkdir("tmp"));
        RandomSource fresh;
        SteppedTransform(input, folder.file("expected.bin"), "Ab", fresh);
        for (const auto procedure :
             {FileEncode, FileEncodeAndDecode, FileEncodeAndDecode_original, FileDecode}) {
            MessageBoxes::clear();
            processRandomSource().setState(RandomSource::kInitialState);
            procedure(input, output, "Ab");
            QCOMPARE(readBytes(output), readBytes(folder.file("expected.bin")));
            QCOMPARE(messagesShown(), (Boxes{{"Ready", vbInformation, "Done! Process complete."}}));
        }
        QCOMPARE(readBytes(folder.file("tmp/1.txt")), readBytes(input));
    }
};

} // namespace

KELVANE_GUI_TEST(SteppedProceduresTest);

} // namespace kelvane::test

#include "SteppedProceduresTest.moc"
