// SPDX-License-Identifier: MIT
#include "controls/vFile.h"

#include <QListWidget>

namespace kelvane {

ListFileStatus vFile::SaveList(const QListWidget& list, const QString& path) const {
    QStringList items;
    items.reserve(list.count());
    for (int i = 0; i < list.count(); ++i) {
        items.append(list.item(i)->text());
    }
    return writeListFile(path, items);
}

ListFileStatus vFile::LoadList(QListWidget& list, const QString& path) const {
    QStringList items;
    const ListFileStatus status = readListFile(path, items);
    if (status) {
        list.addItems(items);
    }
    return status;
}

} // namespace kelvane
