// SPDX-License-Identifier: MIT
#include "window/SourceSelection.h"

#include "controls/vFrame.h"
#include "core/OutputName.h"
#include "window/ClickableLabel.h"
#include "window/DirListBox.h"
#include "window/FileListBox.h"
#include "window/Modes.h"
#include "window/frmMain.h"

namespace kelvane {

namespace {

// `name` in `folder`, joined with one "/" also when the folder is a root that ends in one.
QString sourcePathFor(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

} // namespace

void File1_Click(frmMain& window) {
    const QString name = window.controls().File1->FileName();
    Modes::forWindow(window).lblLockFile_Click(name.contains(QStringLiteral("_locked")) ? 1 : 0);
}

void UpdateOutputFilename(frmMain& window) {
    const MainControls& c = window.controls();
    const QString name = c.File1->FileName();
    if (name.isEmpty()) {
        c.lblFileTo->clear();
        return;
    }
    const QString source = sourcePathFor(c.Dir1->Path(), name);
    c.lblFileFrom->setText(source);
    const NameRule rule = c.vButton[0]->Collapsed() ? NameRule::Unlock : NameRule::Lock;
    c.lblFileTo->setText(outputPathFor(source, rule));
}

} // namespace kelvane
