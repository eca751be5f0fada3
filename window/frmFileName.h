// SPDX-License-Identifier: MIT
#pragma once

#include "window/MainControls.h"

#include <QDialog>

namespace kelvane {

// The "Change Filename" dialog: a caption, the text box `Text1` with the name, "Ok" (Enter) and
// "Cancel" (Esc closes the dialog like Cancel).
class frmFileName : public QDialog {
    Q_OBJECT

public:
    explicit frmFileName(QWidget* parent = nullptr);

    FileNameControls& controls() { return m_controls; }

private:
    FileNameControls m_controls;
};

} // namespace kelvane
