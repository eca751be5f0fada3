#include "TestSupport.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kelvane::MessageBoxes::setTestMode(true);

    int failures = 0;
    for (const kelvane::test::TestFactory make : kelvane::test::registeredTests()) {
        const std::unique_ptr<QObject> test(make());
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures == 0 ? 0 : 1;
}
