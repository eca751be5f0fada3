#include "TestSupport.h"

#include "frmFileName.h"
#include "frmMain.h"
#include "vFrame.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <map>

namespace kelvane::test {

namespace {

struct Row {
    const char* name;
    const char* parent;
    const char* caption;
    int left, top, width, height;
    int tab;
    bool visible;
    double points; // 0: default font
    bool bold;
};

// The main window as designed, in twips.
const Row kMain[] = {
    {"Picture1", "frmMain", "", 0, 0, 16905, 1410, 23, true, 0, false},
    {"lblAppName", "Picture1", "Kelvane", 405, 450, 3885, 645, 24, true, 15.75, true},
    {"lblBy", "Picture1", "", 4275, 540, 5055, 420, 34, true, 9.75, false},
    {"lblPleaseWait", "Picture1", "Please Wait...", 12780, 540, 3075, 285, 25, false, 9.75, false},
    {"vButton(0)", "frmMain", "", 315, 1575, 3075, 735, 0, true, 0, false},
    {"lblLockFile(0)", "vButton(0)", "Lock File", 405, 270, 2130, 285, 3, true, 9, true},
    {"vButton(1)", "frmMain", "", 3465, 1575, 3075, 735, 1, true, 0, false},
    {"lblLockFile(1)", "vButton(1)", "Unlock File", 450, 270, 2130, 285, 4, true, 9, true},
    {"vButton(2)", "frmMain", "", 6615, 1575, 3210, 735, 21, false, 0, false},
    {"lblLockFile(2)", "vButton(2)", "Bookmarked Files", 495, 270, 2130, 285, 22, true, 9, true},
    {"Label1", "frmMain", "Please Read", 13995, 1800, 2310, 330, 20, true, 9.75, false},
    {"frContainer", "frmMain", "", 270, 2475, 16260, 6540, 2, true, 0, false},
    {"frSelector", "frContainer", "Select a File ", 585, 585, 6045, 5325, 5, true, 9.75, false},
    {"Drive1", "frSelector", "", 405, 495, 2580, 315, 6, true, 0, false},
    {"lblRefresh", "frSelector", "Refresh", 3195, 495, 780, 285, 16, true, 9, false},
    {"lblOpenFolder", "frSelector", "Open Folder", 4230, 495, 1365, 285, 17, true, 9, false},
    {"Dir1", "frSelector", "", 405, 990, 5190, 1665, 7, true, 0, false},
    {"File1", "frSelector", "", 405, 2835, 5100, 2040, 8, true, 0, false},
    {"cmdAddToAutomated", "frContainer", "Add File to Bookmarked Files", 11970, 315, 3885, 510, 29,
     false, 9.75, true},
    {"lblFileFrom_Caption", "frContainer", "File to Lock:", 7065, 675, 3525, 420, 9, true, 9, true},
    {"lblFileFrom", "frContainer", "", 7065, 1080, 8745, 780, 11, true, 9, false},
    {"lblFileTo_Caption", "frContainer", "New File (Locked) will Be Saved as:", 7065, 2160, 5010,
     420, 10, true, 9, true},
    {"lblFileTo", "frContainer", "", 7065, 2565, 5865, 780, 12, true, 9, false},
    {"cmdChangeOutputFilename", "frContainer", "Change Output Filename", 13050, 2610, 2715, 465, 18,
     true, 9, false},
    {"lblFilePassword_Caption", "frContainer", "Lock File with the Following Password:", 7065, 3735,
     5010, 420, 14, true, 9, true},
    {"txtPassword", "frContainer", "", 7110, 4140, 3525, 465, 15, true, 9, false},
    {"cmdApply", "frContainer", "Lock File", 7110, 4950, 8700, 960, 13, true, 9.75, true},
    {"frAutomated", "frmMain", "", 0, 4860, 16305, 6270, 26, false, 0, false},
    {"Label3", "frAutomated", "Bookmarked Files", 585, 360, 8880, 375, 27, true, 9.75, true},
    {"lblRemoveSelectedItem", "frAutomated", "Remove Selected Item", 11160, 315, 2535, 330, 35,
     true, 9.75, false},
    {"Label2", "frAutomated", "Remove All Items", 13590, 315, 2535, 330, 36, true, 9.75, false},
    {"List1", "frAutomated", "", 585, 810, 15045, 3180, 28, true, 9.75, false},
    {"Label4", "frAutomated", "The files listed here will be locked using the following password:",
     630, 4320, 12165, 420, 31, true, 9.75, false},
    {"txtPassword1", "frAutomated", "", 7200, 4230, 3525, 465, 32, true, 9, false},
    {"cmdLockMultipleFiles", "frAutomated", "Lock All the Bookmarked Files", 585, 5220, 15045, 780,
     30, true, 9.75, true},
    {"lstBookmarkedItem", "frmMain", "", 10395, 1440, 1815, 1815, 33, false, 0, false},
    {"lblStempfilename", "frmMain", "", 15210, 2115, 1185, 420, 19, false, 0, false},
};

const Row kDialog[] = {
    {"lblFileFrom_Caption", "frmFileName", "Filename:", 495, 360, 3525, 420, 2, true, 9, true},
    {"Text1", "frmFileName", "", 540, 990, 7935, 600, 3, true, 9.75, false},
    {"cmdOk", "frmFileName", "Ok", 3060, 2025, 1230, 510, 0, true, 9.75, false},
    {"cmdCancel", "frmFileName", "Cancel", 4680, 2025, 1230, 510, 1, true, 9.75, false},
};

QRect twips(const QRect& pixels) {
    return {pixels.x() * 15, pixels.y() * 15, pixels.width() * 15, pixels.height() * 15};
}

void addRows(const Row* begin, const Row* end) {
    QTest::addColumn<int>("row");
    for (const Row* row = begin; row != end; ++row) {
        QTest::newRow(row->name) << static_cast<int>(row - begin);
    }
}

// The controls that take the focus, in the order the Tab key visits them from `first`.
QStringList focusChain(QWidget& form, const QStringList& names, const QString& first) {
    QStringList visited;
    QWidget* start = form.findChild<QWidget*>(first);
    QWidget* widget = start;
    do {
        if (names.contains(widget->objectName()) && (widget->focusPolicy() & Qt::TabFocus)) {
            visited.append(widget->objectName());
        }
        widget = widget->nextInFocusChain();
    } while (widget != start);
    return visited;
}

QStringList byTab(const Row* begin, const Row* end) {
    std::multimap<int, QString> ordered;
    for (const Row* row = begin; row != end; ++row) {
        ordered.emplace(row->tab, row->name);
    }
    QStringList names;
    for (const auto& [tab, name] : ordered) {
        names.append(name);
    }
    return names;
}

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    void controlAsDesigned_data() { addRows(std::begin(kMain), std::end(kMain)); }
    void controlAsDesigned() {
        QFETCH(int, row);
        frmMain window;
        checkControl(window, kMain[row]);
    }

    void dialogControlAsDesigned_data() { addRows(std::begin(kDialog), std::end(kDialog)); }
    void dialogControlAsDesigned() {
        QFETCH(int, row);
        frmFileName dialog;
        checkControl(dialog, kDialog[row]);
    }

    void formsAsDesigned() {
        frmMain window;
        QCOMPARE(window.windowTitle(), QString("Kelvane"));
        QCOMPARE(window.size() * 15, QSize(16905, 9555));
        QVERIFY(window.controls().tmrPleaseWait != nullptr);
        QCOMPARE(window.controls().tmrPleaseWait->interval(), 700);
        QVERIFY(!window.controls().tmrPleaseWait->isActive());
        QVERIFY(window.controls().vFile1 && window.controls().vParser1 &&
                window.controls().vTools1);
        QCOMPARE(window.controls().txtPassword->echoMode(), QLineEdit::Normal);
        QCOMPARE(window.controls().txtPassword1->echoMode(), QLineEdit::Normal);

        frmFileName dialog;
        QCOMPARE(dialog.windowTitle(), QString("Change Filename"));
        QCOMPARE(dialog.size() * 15, QSize(9150, 2805));
        QVERIFY(dialog.controls().cmdOk->isDefault());
    }

    void focusFollowsTabNumbers() {
        frmMain window;
        const QStringList mainOrder = byTab(std::begin(kMain), std::end(kMain));
        QStringList expected;
        for (const QString& name : mainOrder) {
            const auto* control = window.findChild<QWidget*>(name);
            if (control->focusPolicy() & Qt::TabFocus) {
                expected.append(name);
            }
        }
        QVERIFY(expected.size() >= 14); // the mode buttons, lists, boxes and buttons
        QCOMPARE(focusChain(window, mainOrder, expected.first()), expected);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QCOMPARE(QApplication::focusWidget(), window.controls().vButton[0]);

        frmFileName dialog;
        const QStringList dialogOrder = byTab(std::begin(kDialog), std::end(kDialog));
        QCOMPARE(focusChain(dialog, dialogOrder, "cmdOk"),
                 (QStringList{"cmdOk", "cmdCancel", "Text1"}));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(QApplication::focusWidget(), dialog.controls().cmdOk);
    }

private:
    static void checkControl(QWidget& form, const Row& row) {
        auto* control = form.findChild<QWidget*>(row.name);
        QVERIFY2(control != nullptr, row.name);
        QCOMPARE(control->parentWidget()->objectName(), QString(row.parent));
        QCOMPARE(captionOf(control), QString(row.caption));
        QCOMPARE(twips(control->geometry()), QRect(row.left, row.top, row.width, row.height));
        QCOMPARE(control->property("TabIndex").toInt(), row.tab);
        QCOMPARE(control->isVisibleTo(control->parentWidget()), row.visible);
        if (row.points > 0) {
            QCOMPARE(control->font().families().value(0), QString("Verdana"));
            QCOMPARE(control->font().pointSizeF(), row.points);
            QCOMPARE(control->font().bold(), row.bold);
        } else {
            QCOMPARE(control->font().pointSizeF(), QApplication::font().pointSizeF());
        }
    }
};

} // namespace

KELVANE_GUI_TEST(LayoutTest);

} // namespace kelvane::test

#include "LayoutTest.moc"
