#include "Transform.h"

#include "EngineError.h"
#include "ExitCode.h"
#include "PasswordInput.h"
#include "ProgressLine.h"
#include "RndCrypt.h"
#include "SourceFile.h"

#include <QFileInfo>

namespace kelvane::cli {

namespace {

// The same refusals the engine makes, made before the password is asked for, so that nobody
// types a password for a run that cannot happen. The engine makes them again when it writes.
void checkOutput(const QString& source, const QString& output, bool force) {
    const auto refuse = [](const QString& message) { return CliError(ExitCode::Refused, message); };
    if (isSameFile(source, output)) {
        throw refuse(QStringLiteral("The output %1 is the source file itself; choose another "
                                    "output name.")
                         .arg(output));
    }
    try {
        checkOutputPlace(output, force ? Replace::Existing : Replace::Nothing);
    } catch (const EngineError& error) {
        if (error.kind() != EngineError::Kind::OutputExists) {
            throw refuse(error.message());
        }
        // A link counts as well, dangling or not: it is replaced, never written through.
        throw refuse(
            QStringLiteral("The output %1 already exists; use --force to replace it.").arg(output));
    }
}

} // namespace

void runTransform(const Arguments& arguments) {
    SourceFile::check(arguments.source);
    checkOutput(arguments.source, arguments.output, arguments.force);

    const QString password = readPassword(arguments);

    ProgressLine progress(arguments.command == Command::Lock ? "Locking" : "Unlocking",
                          QFileInfo(arguments.source).size());
    RndCrypt(arguments.source, arguments.output, password, progress.step(),
             arguments.force ? Replace::Existing : Replace::Nothing);
}

} // namespace kelvane::cli
