// SPDX-License-Identifier: MIT
#include "window/frmFileName.h"

#include "window/ClickableLabel.h"
#include "window/ControlLookup.h"
#include "window/FormBuilder.h"

#include <QLineEdit>
#include <QPushButton>

namespace kelvane {

frmFileName::frmFileName(QWidget* parent) : QDialog(parent) {
    FormBuilder builder(*this);
    const ControlLookup found(builder.build(layout::fileNameDialogDesign()));
    found.bind(m_controls.lblFileFrom_Caption, "lblFileFrom_Caption");
    found.bind(m_controls.Text1, "Text1");
    found.bind(m_controls.cmdOk, "cmdOk");
    found.bind(m_controls.cmdCancel, "cmdCancel");
    setFixedSize(size());
    setModal(true);
}

} // namespace kelvane
