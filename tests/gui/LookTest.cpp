// SPDX-License-Identifier: MIT
#include "tests/gui/TestSupport.h"

#include <QImage>
#include <QPalette>

#include <cmath>
#include <map>

namespace kelvane::test {

namespace {

// A dark desktop palette, as a dark theme (qt6ct's "darker", Breeze Dark) gives it: light text
// on dark grounds, and a light link colour.
QPalette darkPalette() {
    QPalette dark(QColor(0x35, 0x35, 0x35));
    dark.setColor(QPalette::Highlight, QColor(0x2a, 0x82, 0xda));
    dark.setColor(QPalette::Link, QColor(0x8a, 0xb4, 0xf8));
    return dark;
}

double luminance(QRgb colour) {
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(colour)) + 0.7152 * channel(qGreen(colour)) +
           0.0722 * channel(qBlue(colour));
}

// The contrast of the text in `area`: its most frequent colour is the ground, and the pixel
// that stands out most from it is the text (a glyph's stem is drawn fully in the text colour).
double textContrast(const QImage& area) {
    std::map<QRgb, int> counts;
    for (int y = 0; y < area.height(); ++y) {
        for (int x = 0; x < area.width(); ++x) {
            ++counts[area.pixel(x, y) | 0xff000000u];
        }
    }
    const double ground = luminance(
        std::ranges::max_element(counts, {}, &decltype(counts)::value_type::second)->first);
    double best = 1;
    for (const auto& [colour, count] : counts) {
        const double text = luminance(colour);
        best = std::max(best, (std::max(text, ground) + 0.05) / (std::min(text, ground) + 0.05));
    }
    return best;
}

// What `control` shows on screen (inset by `inset` pixels) in the window in `mode`, with a
// password typed, from a picture of the window.
QImage areaShown(int mode, const QString& control, int inset) {
    CommandWindow w;
    w.window->move(0, 0);
    [&] { QVERIFY(QTest::qWaitForWindowExposed(w.window.get())); }();
    w.mode(mode);
    w.c().txtPassword->setText("Secret 42");
    QCoreApplication::processEvents();
    const auto* widget = w.window->findChild<QWidget*>(control);
    const QRect place(widget->mapTo(w.window.get(), QPoint(0, 0)), widget->size());
    return w.window->grab().toImage().copy(place.adjusted(inset, inset, -inset, -inset));
}

} // namespace

class LookTest : public QObject {
    Q_OBJECT

private slots:
    // On a dark desktop every caption, link and box with a colour of its own stays readable
    // (4.5 : 1): it keeps the ground it was drawn on.
    void readableOnADarkDesktop_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("inset"); // leaves a box's border out
        QTest::addRow("name on the header") << 0 << "lblAppName" << 0;
        QTest::addRow("Lock File caption") << 0 << "lblLockFile(0)" << 0;
        QTest::addRow("Please Read link") << 0 << "Label1" << 0;
        QTest::addRow("Remove All Items link") << 2 << "Label2" << 0;
        QTest::addRow("password box") << 0 << "txtPassword" << 4;
    }
    void readableOnADarkDesktop() {
        QFETCH(int, mode);
        QFETCH(QString, control);
        QFETCH(int, inset);
        const QPalette before = QApplication::palette();
        QApplication::setPalette(darkPalette());
        const double ratio = textContrast(areaShown(mode, control, inset));
        QApplication::setPalette(before);
        QVERIFY2(ratio >= 4.5, qPrintable(QString::number(ratio, 'f', 2)));
    }

    // On the default light desktop the controls with a colour of their own look exactly as they
    // always have: the same pixels as the reference pictures in data/look/, rendered on the
    // offscreen platform with the fonts of scripts/install-deps.sh. A deliberate change of the
    // look writes new ones: KELVANE_WRITE_LOOK_REFERENCES=1 gui_tests LookTest.
    void lightLookUnchanged_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("control");
        QTest::addRow("header band") << 0 << "Picture1";
        QTest::addRow("Lock File button") << 0 << "vButton(0)";
        QTest::addRow("Bookmarked Files button") << 0 << "vButton(2)";
        QTest::addRow("Bookmarked Files button, selected") << 2 << "vButton(2)";
        QTest::addRow("Please Read link") << 0 << "Label1";
        QTest::addRow("Remove All Items link") << 2 << "Label2";
        QTest::addRow("password box") << 0 << "txtPassword";
    }
    void lightLookUnchanged() {
        QFETCH(int, mode);
        QFETCH(QString, control);
        const QImage seen = areaShown(mode, control, 0).convertToFormat(QImage::Format_ARGB32);
        const QString name =
            QStringLiteral(KELVANE_GUI_TEST_DATA "/look/%1.png")
                .arg(QString(QTest::currentDataTag()).replace(' ', '-').remove(',').toLower());
        if (qEnvironmentVariableIsSet("KELVANE_WRITE_LOOK_REFERENCES")) {
            QVERIFY(seen.save(name));
            return;
        }
        const QImage reference(name);
        QVERIFY2(!reference.isNull(), qPrintable(name));
        QCOMPARE(seen, reference.convertToFormat(QImage::Format_ARGB32));
    }
};

KELVANE_GUI_TEST(LookTest);

} // namespace kelvane::test

#include "LookTest.moc"
