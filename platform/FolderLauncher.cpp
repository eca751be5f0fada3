// SPDX-License-Identifier: MIT
#include "platform/FolderLauncher.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace kelvane {

namespace {

std::function<bool(const QString&)>& launchOverride() {
    static std::function<bool(const QString&)> launch;
    return launch;
}

bool launchFileManager(const QString& folder, const std::function<void()>& failedLater) {
#ifdef Q_OS_WIN
    Q_UNUSED(failedLater);
    // The command line is exactly "explorer " + the path, as Explorer parses it itself.
    QProcess process;
    process.setProgram(QStringLiteral("explorer"));
    process.setNativeArguments(QDir::toNativeSeparators(folder));
    return process.startDetached();
#else
    const QUrl url = QUrl::fromLocalFile(folder);
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
        return QDesktopServices::openUrl(url);
    }
    // xdg-open says by its exit status that it found no file manager (3) or that starting one
    // failed (4). Other codes are left alone: some desktops run the file manager in the
    // foreground, and its own status when the user closes it, maybe hours later, says nothing
    // about the start. The process has no parent: should the program end first, the file
    // manager is left running.
    auto* process = new QProcess;
    process->setProgram(opener);
    process->setArguments({url.toString(QUrl::FullyEncoded)});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
                     [process, failedLater](int code, QProcess::ExitStatus status) {
                         constexpr int kNoTool = 3;
                         constexpr int kActionFailed = 4;
                         if (status == QProcess::NormalExit &&
                             (code == kNoTool || code == kActionFailed) && failedLater) {
                             failedLater();
                         }
                         process->deleteLater();
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, failedLater](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart) {
                             if (failedLater) {
                                 failedLater();
                             }
                             process->deleteLater();
                         }
                     });
    process->start();
    return true;
#endif
}

} // namespace

bool OpenFolderInFileManager(const QString& folder, std::function<void()> failedLater) {
    const auto& launch = launchOverride();
    return launch ? launch(folder) : launchFileManager(folder, failedLater);
}

void setFolderLauncherForTesting(std::function<bool(const QString&)> launch) {
    launchOverride() = std::move(launch);
}

} // namespace kelvane
