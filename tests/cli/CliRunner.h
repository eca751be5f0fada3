#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace kelvane::test {

struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs kelvane-cli in `workDir` with pipes for stdin (fed `input`, then closed), stdout and
// stderr.
CliRun runCli(const QString& workDir, const QStringList& arguments, const QByteArray& input = {});

struct TerminalRun {
    int exitCode = -1;
    QByteArray transcript; // everything the tool wrote to the terminal, plus any echo
    int prompts = 0;
    bool echoOnAfterwards = false;
    bool timedOut = false;
};

// Runs kelvane-cli in `workDir` on a pseudo-terminal (stdin, stdout and stderr), typing the next
// of `entries` each time a password prompt appears.
TerminalRun runOnTerminal(const QString& workDir, const QStringList& arguments,
                          const QList<QByteArray>& entries = {});

QByteArray readFile(const QString& path);
void writeFile(const QString& path, const QByteArray& content);

// Every entry of `dir` (hidden ones included) with the content of each file.
QMap<QString, QByteArray> snapshot(const QString& dir);

} // namespace kelvane::test
