// SPDX-License-Identifier: MIT
#include "core/OutputName.h"

#include "core/PathHelpers.h"

#include <algorithm>

namespace kelvane {

qsizetype fileNameStart(const QString& path) {
    qsizetype last = path.lastIndexOf(u'/');
#ifdef Q_OS_WIN
    last = std::max(last, path.lastIndexOf(u'\\'));
#endif
    return last + 1;
}

QString outputPathFor(const QString& sourcePath, NameRule rule) {
    const bool lock = rule == NameRule::Lock;
    const qsizetype nameStart = fileNameStart(sourcePath);
    QString base = sourcePath.mid(nameStart);
    base.replace(lock ? QStringLiteral("_unlocked") : QStringLiteral("_locked"), QString());

    const QString extension = getExtension(base);
    if (extension.isEmpty()) {
        base += lock ? QStringLiteral(".locked") : QStringLiteral(".unlocked");
    } else {
        base.replace(QChar(u'.') + extension, QString());
        base += (lock ? QStringLiteral("_locked.") : QStringLiteral("_unlocked.")) + extension;
    }
    return sourcePath.left(nameStart) + base;
}

} // namespace kelvane
