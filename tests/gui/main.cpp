// SPDX-License-Identifier: MIT
#include "tests/gui/TestSupport.h"

#include <QMetaMethod>

#include <cstdio>

namespace {

// "Class function" for each test function of each class, one a line: the private slots that
// take no arguments, less Qt Test's own and the data functions.
void listTestFunctions() {
    const QList<QByteArray> qtOwn{"init", "cleanup", "initTestCase", "cleanupTestCase"};
    for (const auto& [name, make] : kelvane::test::registeredTests().asKeyValueRange()) {
        const std::unique_ptr<QObject> test(make());
        const QMetaObject& meta = *test->metaObject();
        for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
            const QMetaMethod method = meta.method(i);
            if (method.methodType() == QMetaMethod::Slot &&
                method.access() == QMetaMethod::Private && method.parameterCount() == 0 &&
                !method.name().endsWith("_data") && !qtOwn.contains(method.name())) {
                std::printf("%s %s\n", qPrintable(name), method.name().constData());
            }
        }
    }
}

} // namespace

// Runs every registered test class, or only the one named first on the command line (the rest
// of the command line goes to Qt Test, e.g. a test function's name); --list names the test
// functions. Without a display the offscreen platform is used, so the tests run the same by
// hand, under ctest and in CI.
int main(int argc, char* argv[]) {
    if (argc == 2 && qstrcmp(argv[1], "--list") == 0) {
        listTestFunctions();
        return 0;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QString only;
    if (argc > 1 && kelvane::test::registeredTests().contains(QString::fromLocal8Bit(argv[1]))) {
        only = QString::fromLocal8Bit(argv[1]);
        argv[1] = argv[0];
        ++argv;
        --argc;
    }
    // The user's data folder of every test is a temporary one: tests never write in the home.
    const QTemporaryDir dataHome;
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
    QApplication app(argc, argv);
    kelvane::MessageBoxes::setTestMode(true);

    int failures = 0;
    for (const auto& [name, make] : kelvane::test::registeredTests().asKeyValueRange()) {
        if (only.isEmpty() || name == only) {
            const std::unique_ptr<QObject> test(make());
            failures += QTest::qExec(test.get(), argc, argv);
        }
    }
    return failures == 0 ? 0 : 1;
}
