#include "SingleFileWindow.h"

namespace kelvane::test::singlefile {

namespace {

const QString kInvalidName = "Missing Info|64|Please enter a valid filename (must include an "
                             "extension, no spaces and no rare characters.";

enum Close { OkButton, EnterKey, CancelButton, EscapeKey };

void closeWith(frmFileName& dialog, int how) {
    const FileNameControls& d = dialog.controls();
    if (how == OkButton || how == CancelButton) {
        QTest::mouseClick(how == OkButton ? d.cmdOk : d.cmdCancel, Qt::LeftButton);
    } else {
        QTest::keyClick(d.Text1, how == EnterKey ? Qt::Key_Return : Qt::Key_Escape);
    }
}

class FileNameDialogTest : public QObject {
    Q_OBJECT

private slots:
    void names_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("close");
        QTest::addColumn<QString>("output"); // under docs/; empty: refused, the dialog stays
        QTest::newRow("Ok") << "notes.bin" << int(OkButton) << "notes.bin";
        QTest::newRow("Enter") << "notes.bin" << int(EnterKey) << "notes.bin";
        QTest::newRow("Cancel") << "notes.bin" << int(CancelButton) << "report_locked.txt";
        QTest::newRow("Esc") << "notes.bin" << int(EscapeKey) << "report_locked.txt";
        QTest::newRow("empty") << "" << int(OkButton) << "";
        QTest::newRow("no dot") << "report" << int(OkButton) << "";
        QTest::newRow("a space") << "my report.txt" << int(EnterKey) << "";
        QTest::newRow("into a subfolder") << "sub/x.txt" << int(OkButton) << "sub/x.txt";
        QTest::newRow("the source's own name") << "report.txt" << int(OkButton) << "report.txt";
    }
    void names() {
        QFETCH(QString, typed);
        QFETCH(int, close);
        QFETCH(QString, output);
        SingleFileWindow w;
        w.write("docs/report.txt", "x");
        w.browse(w.file("docs"));
        w.clickFile("report.txt");

        QString title, offered, textAfter;
        bool openAfter = false;
        QVERIFY(w.withDialog([&](frmFileName& dialog) {
            title = dialog.windowTitle();
            offered = dialog.controls().Text1->text();
            SingleFileWindow::typeName(dialog, typed);
            closeWith(dialog, close);
            openAfter = dialog.isVisible();
            textAfter = dialog.controls().Text1->text();
        }));

        QCOMPARE(title, QString("Change Filename"));
        QCOMPARE(offered, QString("report_locked.txt"));
        QCOMPARE(openAfter, output.isEmpty());
        QCOMPARE(shownBoxes(), output.isEmpty() ? QStringList{kInvalidName} : QStringList{});
        QCOMPARE(textAfter, typed);
        QCOMPARE(w.c().lblFileTo->text(),
                 w.file("docs/" + (output.isEmpty() ? "report_locked.txt" : output)));
        QCOMPARE(w.c().lblFileFrom->text(), w.file("docs/report.txt"));
    }

    void noOutputPathOpensNoDialog() {
        SingleFileWindow w;
        QVERIFY(!w.withDialog([](frmFileName&) {}));
    }

    // Only the name part of the output path is replaced: the folder stays, whatever the browser
    // shows now and whatever the folder is called.
    void folderPartIsKept_data() {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("browseAfter");
        QTest::addColumn<QString>("output");
        QTest::newRow("browser moved on") << "a/report.txt"
                                          << "b"
                                          << "a/x.txt";
        QTest::newRow("browser moved up") << "a/report.txt"
                                          << "."
                                          << "a/x.txt";
        QTest::newRow("folder named like the output") << "report_locked.txt/report.txt"
                                                      << "."
                                                      << "report_locked.txt/x.txt";
    }
    void folderPartIsKept() {
        QFETCH(QString, source);
        QFETCH(QString, browseAfter);
        QFETCH(QString, output);
        SingleFileWindow w;
        w.write(source, "x");
        w.write("b/other.txt", "y");
        w.browse(QFileInfo(w.file(source)).path());
        w.clickFile("report.txt");
        w.browse(QDir::cleanPath(w.file(browseAfter)));

        QString offered;
        QVERIFY(w.withDialog([&](frmFileName& dialog) {
            offered = dialog.controls().Text1->text();
            SingleFileWindow::typeName(dialog, "x.txt");
            closeWith(dialog, OkButton);
        }));
        QCOMPARE(offered, QString("report_locked.txt"));
        QCOMPARE(w.c().lblFileTo->text(), w.file(output));
    }
};

} // namespace

KELVANE_GUI_TEST(FileNameDialogTest);

} // namespace kelvane::test::singlefile

#include "FileNameDialogTest.moc"
