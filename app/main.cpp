#include "CommandSets.h"
#include "OpenPath.h"
#include "frmMain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvane"));
    QApplication::setApplicationVersion(QStringLiteral("1.2"));

    kelvane::frmMain window;
    kelvane::attachCommandSets(window);
    window.Form_Load();
    window.show();
    if (const QStringList arguments = QApplication::arguments(); arguments.size() > 1) {
        kelvane::openPathWhenShown(window, arguments.at(1));
    }
    return QApplication::exec();
}
