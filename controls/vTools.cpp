// SPDX-License-Identifier: MIT
#include "controls/vTools.h"

#include <QFileInfo>
#include <QListWidget>

namespace kelvane {

bool vTools::FileExists(const QString& Path, bool /*Flag*/) const {
    return !Path.isEmpty() && QFileInfo(Path).isFile();
}

void vTools::SplitToList(const QString& Text, const QString& Separator, QListWidget& list,
                         const QString& /*Reserved*/) const {
    if (Text.isEmpty()) {
        return;
    }
    if (Separator.isEmpty()) {
        list.addItem(Text);
        return;
    }
    list.addItems(Text.split(Separator, Qt::KeepEmptyParts, Qt::CaseSensitive));
}

void vTools::Prepare(int /*Mode*/) const {}

} // namespace kelvane
