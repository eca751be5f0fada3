// SPDX-License-Identifier: MIT
#pragma once

#include <QCommandLineOption>
#include <QList>
#include <QString>
#include <QStringList>

namespace kelvane::cli {

enum class Command {
    Lock,
    Unlock,
    BookmarksList,
    BookmarksAdd,
    BookmarksRemove,
    BookmarksClear,
    BookmarksLockAll,
};

enum class PasswordSource { Terminal, Stdin, File };

// "-" as a SOURCE reads standard input; as the output, "-o -", it writes standard output.
inline const QString kStandardStream = QStringLiteral("-");

struct Arguments {
    Command command = Command::Lock;
    QStringList sources; // every SOURCE of lock and unlock; the one SOURCE of add and remove
    QString output;      // as given with -o, or empty
    QString outputDir;   // as given with --output-dir, or empty
    bool force = false;
    bool quiet = false;
    PasswordSource passwordSource = PasswordSource::Terminal;
    QString passwordFile;

    bool locks() const { return command == Command::Lock || command == Command::BookmarksLockAll; }
    bool readsStandardInput() const { return sources.contains(kStandardStream); }
};

struct CommandLine {
    enum class Request { Run, Help, Version };
    Request request = Request::Run;
    Arguments arguments;
};

// Every option of kelvane-cli, in the order --help lists them.
QList<QCommandLineOption> commandLineOptions();

// Reads the command line, program name first. Throws CliError(Usage) on bad usage.
CommandLine parseCommandLine(const QStringList& commandLine);

// The text of --help: usage, commands, options (as the parser describes them), the rules for
// names, streams and passwords, exit codes and examples.
QString helpText();

// The text of --version.
QString versionText();

} // namespace kelvane::cli
