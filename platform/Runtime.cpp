// SPDX-License-Identifier: MIT
#include "platform/Runtime.h"

#include <QCoreApplication>

namespace kelvane {

namespace {
QString& programFolderOverride() {
    static QString folder;
    return folder;
}
} // namespace

QString ProgramFolder() {
    const QString& override = programFolderOverride();
    return override.isEmpty() ? QCoreApplication::applicationDirPath() : override;
}

void setProgramFolderForTesting(const QString& folder) {
    programFolderOverride() = folder;
}

} // namespace kelvane
