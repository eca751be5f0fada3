// SPDX-License-Identifier: MIT
#include "tests/gui/TestSupport.h"

#include "window/Layout.h"

#include <map>

namespace kelvane::test {

namespace {

using layout::ControlDesign;
using layout::FormDesign;

// Every control of the design is built as it says: its parent, its caption, where it
// is (within half a pixel), whether it shows and its font. Then the focus chain visits
// the focusable ones in tab order, and the form opens with the focus on the first of them.
void checkForm(QWidget& form, const FormDesign& design) {
    QCOMPARE(form.windowTitle(), QString(design.caption));
    QCOMPARE(form.size(), QSize(design.clientWidth, design.clientHeight) / 15);
    std::map<int, QString> focusable;
    for (const ControlDesign& row : design.controls) {
        const QList<QWidget*> named = form.findChildren<QWidget*>(row.name);
        QVERIFY2(named.size() == 1, row.name);
        const QWidget* c = named.first();
        QCOMPARE(c->parentWidget()->objectName(), QString(row.parent));
        QCOMPARE(captionOf(c), QString(row.caption));
        const QRect twips(c->pos() * 15, c->size() * 15);
        QVERIFY2(qAbs(twips.left() - row.rect.left) <= 7 && qAbs(twips.top() - row.rect.top) <= 7 &&
                     qAbs(twips.width() - row.rect.width) <= 7 &&
                     qAbs(twips.height() - row.rect.height) <= 7,
                 row.name);
        QCOMPARE(c->isVisibleTo(c->parentWidget()), !row.look.hidden);
        const QFont font = c->font();
        QCOMPARE(font.families().value(0),
                 row.font.points > 0 ? "Verdana" : QApplication::font().families().value(0));
        QVERIFY2(row.font.points == 0 ||
                     (font.pointSizeF() == row.font.points && font.bold() == row.font.bold),
                 row.name);
        // A link is underlined; nothing else is.
        QCOMPARE(font.underline(), row.look.link);
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
    void mainWindow() {
        frmMain window;
        checkForm(window, layout::mainWindowDesign());
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
