#include "BookmarkListPath.h"

#include <QCoreApplication>

namespace kelvane::cli {

QString bookmarkListPath() {
    const QString folder = QCoreApplication::applicationDirPath();
    const QString path = folder + QStringLiteral("/bookmarked.txt");
    const QString doubled = QStringLiteral("//");
    const QString single = QStringLiteral("/");
    // As the window does: doubled separators collapse (a program in the root folder), but a
    // network folder's leading "//" is part of its name.
    if (folder.startsWith(doubled) && folder.size() > 2) {
        return doubled + path.mid(2).replace(doubled, single);
    }
    return QString(path).replace(doubled, single);
}

} // namespace kelvane::cli
