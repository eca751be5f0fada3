// SPDX-License-Identifier: MIT
#include "window/SingleFileCommands.h"

#include "window/ApplyCommand.h"
#include "window/FileListBox.h"
#include "window/Modes.h"
#include "window/OutputFilenameDialog.h"
#include "window/SourceSelection.h"
#include "window/frmMain.h"

#include <QPushButton>

namespace kelvane {

namespace {

class SingleFileCommands : public QObject {
public:
    explicit SingleFileCommands(frmMain& window) : QObject(&window), m_apply(window) {
        const MainControls& c = window.controls();
        Modes::forWindow(window).setUpdateOutputFilename(
            [&window] { UpdateOutputFilename(window); });
        connect(c.File1, &FileListBox::Click, this, [&window] { File1_Click(window); });
        connect(c.cmdApply, &QPushButton::clicked, this, [this] { m_apply.cmdApply_Click(); });
        connect(c.cmdChangeOutputFilename, &QPushButton::clicked, this,
                [&window] { cmdChangeOutputFilename_Click(window); });
    }

private:
    ApplyCommand m_apply;
};

} // namespace

void attachSingleFileCommands(frmMain& window) {
    new SingleFileCommands(window);
}

} // namespace kelvane
