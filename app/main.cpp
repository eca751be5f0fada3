#include "CommandSets.h"
#include "KelvaneVersion.h"
#include "frmMain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvane"));
    QApplication::setApplicationVersion(QStringLiteral(KELVANE_VERSION));

    kelvane::frmMain window;
    kelvane::attachCommandSets(window);
    window.Form_Load();
    window.show();
    return QApplication::exec();
}
