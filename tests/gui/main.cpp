#include "TestSupport.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

int main(int argc, char* argv[]) {
    // The user's data folder of every test is a temporary one: tests never write in the home.
    const QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    QApplication app(argc, argv);
    kelvane::MessageBoxes::setTestMode(true);

    int failures = 0;
    for (const kelvane::test::TestFactory make : kelvane::test::registeredTests()) {
        const std::unique_ptr<QObject> test(make());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
