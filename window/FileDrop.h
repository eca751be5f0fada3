// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

namespace kelvane {

class frmMain;

// Files dropped on the main window are opened as openPath() does, once the drop is over. A drop
// is taken as a copy, so the program the file came from never removes it. While a run is in
// progress drops are refused. The password boxes, which take dropped text themselves, hand a
// dropped file to the window too, so that a path never lands in a password.
class FileDrop : public QObject {
    Q_OBJECT

public:
    explicit FileDrop(frmMain& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void open(const QStringList& paths);

    frmMain& m_window;
};

} // namespace kelvane
