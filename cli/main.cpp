// SPDX-License-Identifier: MIT
#include "cli/Arguments.h"
#include "cli/BookmarkSubcommands.h"
#include "cli/ExitCode.h"
#include "cli/LockAll.h"
#include "cli/Messages.h"
#include "cli/Terminal.h"
#include "cli/TransformRun.h"
#include "engine/EngineError.h"
#include "engine/FileName.h"
#include "engine/OutputGroup.h"
#include "engine/StandardDescriptors.h"

#include <QCoreApplication>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <unistd.h>

using namespace kelvane;
using namespace kelvane::cli;

namespace {

ExitCode print(const QString& text) {
    requireStandardDescriptor(STDOUT_FILENO);
    if (writeAll(STDOUT_FILENO, text.toUtf8())) {
        return ExitCode::Done;
    }
    reportError(QStringLiteral("Cannot write standard output: %1")
                    .arg(EngineError::systemReason(errno) + u'.'));
    return ExitCode::ReadWriteFailure;
}

ExitCode runCommand(const Arguments& arguments) {
    if (arguments.readsStandardInput() || arguments.passwordSource == PasswordSource::Stdin) {
        requireStandardDescriptor(STDIN_FILENO);
    }
    if (arguments.output == kStandardStream || arguments.command == Command::BookmarksList) {
        requireStandardDescriptor(STDOUT_FILENO);
    }
    switch (arguments.command) {
    case Command::Lock:
    case Command::Unlock:
        return TransformRun(arguments).run();
    case Command::BookmarksLockAll:
        return LockAll(arguments).run();
    case Command::BookmarksList:
    case Command::BookmarksAdd:
    case Command::BookmarksRemove:
    case Command::BookmarksClear:
        break;
    }
    return BookmarkCommands(arguments).run();
}

ExitCode run(const QStringList& commandLine) {
    try {
        const CommandLine parsed = parseCommandLine(commandLine);
        switch (parsed.request) {
        case CommandLine::Request::Help:
            return print(helpText());
        case CommandLine::Request::Version:
            return print(versionText());
        case CommandLine::Request::Run:
            break;
        }
        return runCommand(parsed.arguments);
    } catch (const CliError& error) {
        reportError(error.message());
        return error.code();
    } catch (const EngineError& error) {
        reportError(error.message());
        return exitCodeFor(error.kind());
    } catch (const std::exception& error) {
        reportError(QString::fromLocal8Bit(error.what()));
        return ExitCode::ReadWriteFailure;
    }
}

} // namespace

int main(int argc, char* argv[]) {
    // Before anything opens a file, so that none takes the number of a closed standard stream.
    StandardDescriptors::secure();
    const QCoreApplication application(argc, argv);
    // A reader that goes away (`kelvane-cli unlock x -o - | head`) is then a write error with its
    // message and exit code, not a silent death by signal.
    std::signal(SIGPIPE, SIG_IGN);
    // Many files are locked in groups that hold their outputs open until one flush.
    OutputGroup::raiseDescriptorLimit();
    // File names are taken as the bytes they are, not as Qt decodes them.
    return static_cast<int>(run(argumentsOf(argc, argv)));
}
