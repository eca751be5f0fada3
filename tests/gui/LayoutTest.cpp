// SPDX-License-Identifier: MIT
#include "tests/gui/TestSupport.h"

#include "window/Layout.h"

#include <QComboBox>
#include <QLabel>

#include <map>

namespace kelvane::test {

namespace {

using layout::ControlDesign;
using layout::FormDesign;
using layout::Kind;

// Whether `control` is of the type its kind is built as.
bool isOfKind(const QWidget* control, Kind kind) {
    switch (kind) {
    case Kind::Picture:
        return qobject_cast<const QLabel*>(control) == nullptr &&
               control->autoFillBackground(); // a plain panel that paints its colour
    case Kind::Label:
        return qobject_cast<const ClickableLabel*>(control) != nullptr;
    case Kind::ModeButton:
        return qobject_cast<const vFrame*>(control) != nullptr;
    case Kind::Frame:
        return qobject_cast<const QGroupBox*>(control) != nullptr;
    case Kind::DriveList:
        return qobject_cast<const DriveListBox*>(control) != nullptr;
    case Kind::DirList:
        return qobject_cast<const DirListBox*>(control) != nullptr;
    case Kind::FileList:
        return qobject_cast<const FileListBox*>(control) != nullptr;
    case Kind::CommandButton:
        return qobject_cast<const QPushButton*>(control) != nullptr;
    case Kind::TextBox:
        return qobject_cast<const QLineEdit*>(control) != nullptr;
    case Kind::ListBox:
        return qobject_cast<const QListWidget*>(control) != nullptr;
    }
    return false;
}

// The colour a control shows for `role`, or 0 where it is the desktop's own.
QRgb colourOf(const QWidget* control, QPalette::ColorRole role) {
    const QColor own = control->palette().color(QPalette::Active, role);
    const QColor desktops = QApplication::palette(control).color(QPalette::Active, role);
    return own == desktops ? 0 : own.rgb();
}

// Every control of the design is built as it says: its type, its parent, its caption, where it
// is (within half a pixel), whether it shows, its font and its look. Then the focus chain visits
// the focusable ones in tab order, and the form opens with the focus on the first of them.
void checkForm(QWidget& form, const FormDesign& design) {
    QCOMPARE(form.windowTitle(), QString(design.caption));
    QCOMPARE(form.size(), QSize(design.clientWidth, design.clientHeight) / 15);
    std::map<int, QString> focusable;
    for (const ControlDesign& row : design.controls) {
        const QList<QWidget*> named = form.findChildren<QWidget*>(row.name);
        QVERIFY2(named.size() == 1, row.name);
        const QWidget* c = named.first();
        QVERIFY2(isOfKind(c, row.kind), row.name);
        QCOMPARE(c->parentWidget()->objectName(), QString(row.parent));
        QCOMPARE(captionOf(c), QString(row.caption));
        const QRect twips(c->pos() * 15, c->size() * 15);
        for (const auto& [built, designed] :
             {std::pair{twips.left(), row.rect.left}, std::pair{twips.top(), row.rect.top},
              std::pair{twips.width(), row.rect.width},
              std::pair{twips.height(), row.rect.height}}) {
            QVERIFY2(qAbs(built - designed) <= 7, row.name);
        }
        QCOMPARE(c->isVisibleTo(c->parentWidget()), !row.look.hidden);
        const QFont font = c->font();
        if (row.font.points > 0) {
            QCOMPARE(font.families().value(0), QString("Verdana"));
            QCOMPARE(font.pointSizeF(), row.font.points);
            QCOMPARE(font.bold(), row.font.bold);
        } else {
            QCOMPARE(font.families().value(0), QApplication::font().families().value(0));
        }
        const bool box = row.kind == Kind::TextBox;
        // A link is underlined in the link colour; nothing else is underlined.
        QCOMPARE(font.underline(), row.look.link);
        if (!row.look.link) {
            QCOMPARE(colourOf(c, box ? QPalette::Text : QPalette::WindowText), row.look.fore);
        }
        if (row.look.back != 0) {
            QCOMPARE(colourOf(c, box ? QPalette::Base : QPalette::Window), row.look.back);
        }
        if (const auto* label = qobject_cast<const QLabel*>(c)) {
            // Labels are transparent: the header band's colour shows through its captions.
            QVERIFY2(!label->autoFillBackground(), row.name);
            QCOMPARE(label->frameShape() != QFrame::NoFrame, row.look.border);
            const Qt::Alignment align = label->alignment() & Qt::AlignHorizontal_Mask;
            QCOMPARE(align, row.look.align == layout::Align::Centre  ? Qt::AlignHCenter
                            : row.look.align == layout::Align::Right ? Qt::AlignRight
                                                                     : Qt::AlignLeft);
        }
        if (c->focusPolicy() & Qt::TabFocus) {
            QVERIFY2(focusable.emplace(row.tab, row.name).second, row.name);
        }
    }
    QStringList expected, visited;
    for (const auto& [tab, name] : focusable) {
        expected.append(name);
    }
    QVERIFY(!expected.isEmpty());
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
    // The window as designed. What every user relies on beyond the design: the links look
    // alike (blue on the form), the captions on the dark header band are light, the password
    // boxes show what is typed, and what shows at start-up
    // lies inside the window.
    void mainWindow() {
        frmMain window;
        checkForm(window, layout::mainWindowDesign());
        const MainControls& c = window.controls();
        QCOMPARE(c.tmrPleaseWait->interval(), 700);
        QVERIFY(!c.tmrPleaseWait->isActive());
        QCOMPARE(c.txtPassword->echoMode(), QLineEdit::Normal);
        QCOMPARE(c.txtPassword1->echoMode(), QLineEdit::Normal);
        for (const QWidget* link : QList<QWidget*>{c.Label1, c.lblRefresh, c.lblOpenFolder,
                                                   c.lblRemoveSelectedItem, c.Label2}) {
            const QColor colour = link->palette().color(QPalette::WindowText);
            QVERIFY2(colour.blue() > 2 * (colour.red() + colour.green()) &&
                         link->font().underline(),
                     qPrintable(link->objectName()));
        }
        for (const QWidget* caption : QList<QWidget*>{c.lblAppName, c.lblBy, c.lblPleaseWait}) {
            QVERIFY2(caption->palette().color(QPalette::WindowText).lightness() >
                         c.Picture1->palette().color(QPalette::Window).lightness() + 100,
                     qPrintable(caption->objectName()));
        }
        for (const QWidget* shown : window.findChildren<QWidget*>()) {
            if (!shown->objectName().isEmpty() && shown->isVisibleTo(&window)) {
                QVERIFY2(window.rect().contains(
                             QRect(shown->mapTo(&window, QPoint(0, 0)), shown->size())),
                         qPrintable(shown->objectName()));
            }
        }
    }

    void fileNameDialog() {
        frmFileName dialog;
        checkForm(dialog, layout::fileNameDialogDesign());
    }
};

} // namespace

KELVANE_GUI_TEST(LayoutTest);

} // namespace kelvane::test

#include "LayoutTest.moc"
