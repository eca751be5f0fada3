#pragma once

#include <QString>
#include <QStringList>

namespace kelvane::cli {

enum class Command { Lock, Unlock };

enum class PasswordSource { Terminal, Stdin, File };

struct Arguments {
    Command command = Command::Lock;
    QString source;
    QString output; // as given with -o, or the default name for the source
    bool force = false;
    PasswordSource passwordSource = PasswordSource::Terminal;
    QString passwordFile;
};

struct CommandLine {
    bool helpRequested = false;
    bool versionRequested = false;
    Arguments arguments;
};

// Reads the command line, program name first. Throws CliError(Usage) on bad usage.
CommandLine parseCommandLine(const QStringList& commandLine);

// The text of --help: usage, options and exit codes.
QString helpText();

} // namespace kelvane::cli
