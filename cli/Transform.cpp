#include "Transform.h"

#include "ExitCode.h"
#include "PasswordInput.h"
#include "ProgressLine.h"
#include "RndCrypt.h"

#include <QFileInfo>

namespace kelvane::cli {

namespace {

void checkSource(const QFileInfo& source) {
    const auto cannotRead = [&](const QString& reason) {
        return CliError(ExitCode::ReadWriteFailure,
                        QStringLiteral("Cannot read %1: %2").arg(source.filePath(), reason));
    };
    if (!source.exists()) {
        throw cannotRead(QStringLiteral("no such file."));
    }
    if (source.isDir()) {
        throw cannotRead(QStringLiteral("it is a folder."));
    }
    if (!source.isReadable()) {
        throw cannotRead(QStringLiteral("permission denied."));
    }
}

void checkOutput(const QString& source, const QFileInfo& output, bool force) {
    const auto refuse = [](const QString& message) { return CliError(ExitCode::Refused, message); };
    if (isSameFile(source, output.filePath())) {
        throw refuse(QStringLiteral("The output %1 is the source file itself; choose another "
                                    "output name.")
                         .arg(output.filePath()));
    }
    if (output.isDir()) {
        throw refuse(QStringLiteral("The output %1 is a folder.").arg(output.filePath()));
    }
    // A dangling link counts as existing: writing through it would create its target.
    if (!force && (output.exists() || output.isSymLink())) {
        throw refuse(QStringLiteral("The output %1 already exists; use --force to replace it.")
                         .arg(output.filePath()));
    }
}

} // namespace

void runTransform(const Arguments& arguments) {
    const QFileInfo source(arguments.source);
    checkSource(source);
    checkOutput(arguments.source, QFileInfo(arguments.output), arguments.force);

    const QString password = readPassword(arguments);

    ProgressLine progress(arguments.command == Command::Lock ? "Locking" : "Unlocking",
                          static_cast<std::uint64_t>(source.size()));
    RndCrypt(arguments.source, arguments.output, password, progress.step());
}

} // namespace kelvane::cli
