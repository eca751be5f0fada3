#include "TestSupport.h"

#include "DesktopIdentity.h"

#include <QGuiApplication>

namespace kelvane::test {

namespace {

class DesktopIdentityTest : public QObject {
    Q_OBJECT

private slots:
    // The window names its desktop entry and has an icon of every size even where no icon theme
    // has it, as when it runs from its build folder.
    void windowHasTheDesktopIdAndTheIcon() {
        DesktopIdentity::apply();
        StartedWindow w;
        QCOMPARE(QGuiApplication::desktopFileName(), QString("org.kelvane.Kelvane"));
        QVERIFY(!w.window.windowIcon().isNull());
        for (const int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QString builtIn = QString(":/icons/%1x%1/apps/org.kelvane.Kelvane.png").arg(size);
            QCOMPARE(QImage(builtIn).size(), QSize(size, size));
            QCOMPARE(w.window.windowIcon().pixmap(size).size(), QSize(size, size));
        }
    }
};

} // namespace

KELVANE_GUI_TEST(DesktopIdentityTest);

} // namespace kelvane::test

#include "DesktopIdentityTest.moc"
