#include "FolderLauncher.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QUrl>

namespace kelvane {

namespace {

std::function<bool(const QString&)>& launchOverride() {
    static std::function<bool(const QString&)> launch;
    return launch;
}

bool launchFileManager(const QString& folder) {
#ifdef Q_OS_WIN
    // The command line is exactly "explorer " + the path, as Explorer parses it itself.
    QProcess process;
    process.setProgram(QStringLiteral("explorer"));
    process.setNativeArguments(QDir::toNativeSeparators(folder));
    return process.startDetached();
#else
    return QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
#endif
}

} // namespace

bool OpenFolderInFileManager(const QString& folder) {
    const auto& launch = launchOverride();
    return launch ? launch(folder) : launchFileManager(folder);
}

void setFolderLauncherForTesting(std::function<bool(const QString&)> launch) {
    launchOverride() = std::move(launch);
}

} // namespace kelvane
