#include "CommandSets.h"
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
    return QApplication::exec();
}
