// SPDX-License-Identifier: MIT
#include "tests/gui/TestSupport.h"

#include <QLabel>

#include <map>
#include <span>

namespace kelvane::test {

namespace {

// Twips; a font size of 0 means the toolkit's default font, any other size is Verdana.
struct Row {
    const char *name, *parent, *caption;
    int left, top, width, height, tab;
    bool visible;
    double points;
    bool bold;
};

// clang-format off
const Row kMain[] = {
    {"Picture1", "frmMain", "", 0, 0, 16905, 1410, 23, 1, 0, 0},
    {"lblAppName", "Picture1", "Kelvane", 405, 450, 3885, 645, 24, 1, 15.75, 1},
    {"lblBy", "Picture1", "", 4275, 540, 5055, 420, 34, 1, 9.75, 0},
    {"lblPleaseWait", "Picture1", "Please Wait...", 12780, 540, 3075, 285, 25, 0, 9.75, 0},
    {"vButton(0)", "frmMain", "", 315, 1575, 3075, 735, 0, 1, 0, 0},
    {"lblLockFile(0)", "vButton(0)", "Lock File", 405, 270, 2130, 285, 3, 1, 9, 1},
    {"vButton(1)", "frmMain", "", 3465, 1575, 3075, 735, 1, 1, 0, 0},
    {"lblLockFile(1)", "vButton(1)", "Unlock File", 450, 270, 2130, 285, 4, 1, 9, 1},
    {"vButton(2)", "frmMain", "", 6615, 1575, 3210, 735, 21, 0, 0, 0},
    {"lblLockFile(2)", "vButton(2)", "Bookmarked Files", 495, 270, 2130, 285, 22, 1, 9, 1},
    {"Label1", "frmMain", "Please Read", 13995, 1800, 2310, 330, 20, 1, 9.75, 0},
    {"frContainer", "frmMain", "", 270, 2475, 16260, 6540, 2, 1, 0, 0},
    {"frSelector", "frContainer", "Select a File ", 585, 585, 6045, 5325, 5, 1, 9.75, 0},
    {"Drive1", "frSelector", "", 405, 495, 2580, 315, 6, 1, 0, 0},
    {"lblRefresh", "frSelector", "Refresh", 3195, 495, 780, 285, 16, 1, 9, 0},
    {"lblOpenFolder", "frSelector", "Open Folder", 4230, 495, 1365, 285, 17, 1, 9, 0},
    {"Dir1", "frSelector", "", 405, 990, 5190, 1665, 7, 1, 0, 0},
    {"File1", "frSelector", "", 405, 2835, 5100, 2040, 8, 1, 0, 0},
    {"cmdAddToAutomated", "frContainer", "Add File to Bookmarked Files", 11970, 315, 3885, 510, 29, 0, 9.75, 1},
    {"lblFileFrom_Caption", "frContainer", "File to Lock:", 7065, 675, 3525, 420, 9, 1, 9, 1},
    {"lblFileFrom", "frContainer", "", 7065, 1080, 8745, 780, 11, 1, 9, 0},
    {"lblFileTo_Caption", "frContainer", "New File (Locked) will Be Saved as:", 7065, 2160, 5010, 420, 10, 1, 9, 1},
    {"lblFileTo", "frContainer", "", 7065, 2565, 5865, 780, 12, 1, 9, 0},
    {"cmdChangeOutputFilename", "frContainer", "Change Output Filename", 13050, 2610, 2715, 465, 18, 1, 9, 0},
    {"lblFilePassword_Caption", "frContainer", "Lock File with the Following Password:", 7065, 3735, 5010, 420, 14, 1, 9, 1},
    {"txtPassword", "frContainer", "", 7110, 4140, 3525, 465, 15, 1, 9, 0},
    {"cmdApply", "frContainer", "Lock File", 7110, 4950, 8700, 960, 13, 1, 9.75, 1},
    {"frAutomated", "frmMain", "", 0, 4860, 16305, 6270, 26, 0, 0, 0},
    {"Label3", "frAutomated", "Bookmarked Files", 585, 360, 8880, 375, 27, 1, 9.75, 1},
    {"lblRemoveSelectedItem", "frAutomated", "Remove Selected Item", 11160, 315, 2535, 330, 35, 1, 9.75, 0},
    {"Label2", "frAutomated", "Remove All Items", 13590, 315, 2535, 330, 36, 1, 9.75, 0},
    {"List1", "frAutomated", "", 585, 810, 15045, 3180, 28, 1, 9.75, 0},
    {"Label4", "frAutomated", "The files listed here will be locked using the following password:", 630, 4320, 12165, 420, 31, 1, 9.75, 0},
    {"txtPassword1", "frAutomated", "", 7200, 4230, 3525, 465, 32, 1, 9, 0},
    {"cmdLockMultipleFiles", "frAutomated", "Lock All the Bookmarked Files", 585, 5220, 15045, 780, 30, 1, 9.75, 1},
    {"lstBookmarkedItem", "frmMain", "", 10395, 1440, 1815, 1815, 33, 0, 0, 0},
    {"lblStempfilename", "frmMain", "", 15210, 2115, 1185, 420, 19, 0, 0, 0},
};
const Row kDialog[] = {
    {"lblFileFrom_Caption", "frmFileName", "Filename:", 495, 360, 3525, 420, 2, 1, 9, 1},
    {"Text1", "frmFileName", "", 540, 990, 7935, 600, 3, 1, 9.75, 0},
    {"cmdOk", "frmFileName", "Ok", 3060, 2025, 1230, 510, 0, 1, 9.75, 0},
    {"cmdCancel", "frmFileName", "Cancel", 4680, 2025, 1230, 510, 1, 1, 9.75, 0},
};
// clang-format on

// The look of the controls that have one: text and background colour (-1: the desktop's),
// horizontal alignment of a label, underlined (the link look), a single border.
struct LookRow {
    const char* name;
    int fore, back;
    char align; // 'L', 'C' or 'R'
    bool underlined, border;
};
// clang-format off
const LookRow kLooks[] = {
    {"Picture1", -1, 0x404040, 0, 0, 0},
    {"lblAppName", 0xFFFFC0, -1, 'L', 0, 0},
    {"lblBy", 0xFFFFFF, -1, 'L', 0, 0},
    {"lblPleaseWait", 0xFFFFC0, -1, 'R', 0, 0},
    {"lblLockFile(0)", 0x800000, -1, 'C', 0, 0},
    {"lblLockFile(1)", 0x004000, -1, 'C', 0, 0},
    {"lblLockFile(2)", 0x004000, -1, 'C', 0, 0},
    {"Label1", 0x0000C0, -1, 'R', 1, 0},
    {"lblRefresh", 0x0000C0, -1, 'L', 1, 0},
    {"lblOpenFolder", 0x0000C0, -1, 'L', 1, 0},
    {"lblFileFrom_Caption", -1, -1, 'L', 0, 0},
    {"lblFileFrom", -1, -1, 'L', 0, 1},
    {"lblFileTo_Caption", -1, -1, 'L', 0, 0},
    {"lblFileTo", -1, -1, 'L', 0, 1},
    {"lblFilePassword_Caption", -1, -1, 'L', 0, 0},
    {"txtPassword", -1, 0xFFFF80, 0, 0, 0},
    {"Label3", -1, -1, 'L', 0, 0},
    {"lblRemoveSelectedItem", 0x0000C0, -1, 'L', 1, 0},
    {"Label2", 0x0000C0, -1, 'L', 1, 0},
    {"Label4", -1, -1, 'L', 0, 0},
    {"txtPassword1", -1, -1, 0, 0, 0},
};
// clang-format on

QString describe(const LookRow& r) {
    return QString::asprintf("%s fore %06x back %06x align %c%s%s", r.name, r.fore, r.back,
                             r.align ? r.align : '-', r.underlined ? " underlined" : "",
                             r.border ? " border" : "");
}

QString describe(const Row& r) {
    return QString::asprintf("%s in %s \"%s\" %d,%d %dx%d tab %d %s %g pt%s", r.name, r.parent,
                             r.caption, r.left, r.top, r.width, r.height, r.tab,
                             r.visible ? "shown" : "hidden", r.points, r.bold ? " bold" : "");
}

// Every control against its row; then the focus chain visits the focusable ones in tab order, and
// the form opens with the focus on the first of them.
void checkForm(QWidget& form, std::span<const Row> rows, int leastFocusable) {
    std::map<int, QString> focusable;
    for (const Row& row : rows) {
        const QWidget* c = form.findChild<QWidget*>(row.name);
        QVERIFY2(c != nullptr, row.name);
        const QByteArray parent = c->parentWidget()->objectName().toUtf8();
        const QByteArray caption = captionOf(c).toUtf8();
        const QFont f = c->font();
        const QRect g(c->pos() * 15, c->size() * 15);
        QCOMPARE(describe(Row(row.name, parent.constData(), caption.constData(), g.x(), g.y(),
                              g.width(), g.height(), c->property("TabIndex").toInt(),
                              c->isVisibleTo(c->parentWidget()),
                              f.families().value(0) == "Verdana" ? f.pointSizeF() : 0, f.bold())),
                 describe(row));
        if (c->focusPolicy() & Qt::TabFocus) {
            focusable[row.tab] = row.name;
        }
    }
    QStringList expected, visited;
    for (const auto& [tab, name] : focusable) {
        expected.append(name);
    }
    QVERIFY(expected.size() >= leastFocusable);
    QWidget* control = form.findChild<QWidget*>(expected.first());
    for (; visited.size() < expected.size(); control = control->nextInFocusChain()) {
        if (expected.contains(control->objectName())) {
            visited.append(control->objectName());
        }
    }
    QCOMPARE(visited, expected);
    form.show();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(QApplication::focusWidget()->objectName(), expected.first());
}

class LayoutTest : public QObject {
    Q_OBJECT

private slots:
    // The main window and its look: a colour that is the desktop's own counts as none, and every
    // label is transparent (the header band's colour shows through its captions).
    void mainWindow() {
        frmMain window;
        QCOMPARE(window.windowTitle(), QString("Kelvane"));
        QCOMPARE(window.size() * 15, QSize(16905, 9555));
        QCOMPARE(window.controls().tmrPleaseWait->interval(), 700);
        QVERIFY(!window.controls().tmrPleaseWait->isActive());
        // Neither password box masks what the user types.
        QCOMPARE(window.controls().txtPassword->echoMode(), QLineEdit::Normal);
        QCOMPARE(window.controls().txtPassword1->echoMode(), QLineEdit::Normal);
        for (const LookRow& row : kLooks) {
            const QWidget* c = window.findChild<QWidget*>(row.name);
            QVERIFY2(c != nullptr, row.name);
            const auto* label = qobject_cast<const QLabel*>(c);
            const auto* box = qobject_cast<const QLineEdit*>(c);
            const auto colour = [c](QPalette::ColorRole role) {
                const QColor own = c->palette().color(QPalette::Active, role);
                const QColor desktops = QApplication::palette(c).color(QPalette::Active, role);
                return own == desktops ? -1 : int(own.rgb() & 0xFFFFFF);
            };
            const int align = label ? int(label->alignment() & Qt::AlignHorizontal_Mask) : 0;
            const LookRow look{row.name,
                               colour(box ? QPalette::Text : QPalette::WindowText),
                               box || c->autoFillBackground()
                                   ? colour(box ? QPalette::Base : QPalette::Window)
                                   : -1,
                               !label                      ? '\0'
                               : align == Qt::AlignHCenter ? 'C'
                               : align == Qt::AlignRight   ? 'R'
                                                           : 'L',
                               c->font().underline(),
                               label && label->frameShape() != QFrame::NoFrame};
            QCOMPARE(describe(look), describe(row));
            QVERIFY2(!label || !c->autoFillBackground(), row.name); // labels are transparent
        }
        checkForm(window, kMain, 14);
    }

    void fileNameDialog() {
        frmFileName dialog;
        QCOMPARE(dialog.windowTitle(), QString("Change Filename"));
        QCOMPARE(dialog.size() * 15, QSize(9150, 2805));
        checkForm(dialog, kDialog, 3);
    }
};

} // namespace

KELVANE_GUI_TEST(LayoutTest);

} // namespace kelvane::test

#include "LayoutTest.moc"
