// SPDX-License-Identifier: MIT
#include "controls/vTools.h"

#include "engine/FileName.h"

#include <QListWidget>

#include <sys/stat.h>

namespace kelvane {

bool vTools::FileExists(const QString& Path, bool /*Flag*/) const {
    struct stat status {};
    return !Path.isEmpty() && ::stat(encodeFileName(Path).constData(), &status) == 0 &&
           S_ISREG(status.st_mode);
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
