// SPDX-License-Identifier: MIT
// Start-up of the window in the working folder: builds it, shows it, lets its first events run
// (the lists filled, laid out and painted) and quits. Timed from outside, with its peak memory.
#include "window/frmMain.h"

#include <QApplication>
#include <QTimer>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kelvane::frmMain window;
    window.Form_Load();
    window.show();
    QTimer::singleShot(0, &app, [&window] {
        window.grab();
        QApplication::quit();
    });
    return QApplication::exec();
}
