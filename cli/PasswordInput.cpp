// SPDX-License-Identifier: MIT
#include "cli/PasswordInput.h"

#include "cli/ExitCode.h"
#include "cli/Messages.h"
#include "cli/Terminal.h"
#include "core/PasswordRule.h"
#include "engine/Cipher.h"
#include "engine/EngineError.h"
#include "engine/FileName.h"

#include <QStringDecoder>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kelvane::cli {

namespace {

CliError passwordError(const QString& message) {
    return CliError(ExitCode::PasswordProblem, message);
}

// No password can be longer than the longest one whose seed is sure to fit, in its longest
// encoding: three bytes a character (the euro sign and its kind).
constexpr qsizetype kLongestPasswordBytes = 3 * kLongestSafePassword;

// The first line of `fd`, the same way for every route: without its line end ("\n" or "\r\n"),
// and never read further than the longest possible password.
QByteArray passwordLine(int fd, bool wholeBlocks, const QString& from) {
    LineStatus status = LineStatus::Read;
    QByteArray line = readLine(fd, kLongestPasswordBytes, wholeBlocks, status);
    if (status == LineStatus::TooLong) {
        throw passwordError(
            QStringLiteral("The password in %1 is too long: a password has at most %2 characters.")
                .arg(from)
                .arg(kLongestSafePassword));
    }
    if (status == LineStatus::Failed) {
        throw passwordError(QStringLiteral("Cannot read the password from %1: %2")
                                .arg(from, EngineError::systemReason(errno) + u'.'));
    }
    return line;
}

// Passwords arrive as UTF-8 text; bytes that are not would otherwise turn silently into
// replacement characters.
QString decode(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder(bytes);
    if (decoder.hasError()) {
        throw passwordError(QStringLiteral("The password is not valid UTF-8 text."));
    }
    return text;
}

void check(const QString& password) {
    const PasswordRule rule = PasswordRule::check(password);
    if (rule.problem == PasswordRule::Problem::Empty) {
        throw passwordError(QStringLiteral("The password is empty."));
    }
    // Refused now rather than after the files are opened.
    if (!rule.usable()) {
        throw passwordError(rule.reason);
    }
}

QString fromStdin() {
    // Byte by byte: whatever follows the line stays in standard input.
    return decode(passwordLine(STDIN_FILENO, false, QStringLiteral("standard input")));
}

QString fromFile(const QString& path) {
    const int fd = ::open(encodeFileName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        throw passwordError(QStringLiteral("Cannot read the password file %1: %2")
                                .arg(quoted(path), EngineError::systemReason(errno) + u'.'));
    }
    try {
        // A pipe, socket or terminal may be shared with others who read on after the password:
        // byte by byte, nothing past its first line is taken from them.
        struct stat status {};
        const bool shared = ::fstat(fd, &status) != 0 || S_ISFIFO(status.st_mode) ||
                            S_ISSOCK(status.st_mode) || ::isatty(fd) == 1;
        const QByteArray line =
            passwordLine(fd, !shared, QStringLiteral("the file ") + quoted(path));
        ::close(fd);
        return decode(line);
    } catch (...) {
        ::close(fd);
        throw;
    }
}

QString askOnce(const ControllingTerminal& terminal, const char* prompt) {
    QByteArray line;
    {
        // Echo goes off before the prompt shows, so nothing typed after it can echo.
        const EchoOff echoOff(terminal.handle());
        writeAll(terminal.handle(), prompt);
        line = passwordLine(terminal.handle(), false, QStringLiteral("the terminal"));
    }
    return decode(line);
}

// Asked on the controlling terminal, as ssh and gpg ask, so that standard input and output
// stay free for data.
QString fromTerminal(bool confirm, bool stdinCarriesData) {
    const ControllingTerminal terminal;
    if (!terminal.isOpen()) {
        throw passwordError(stdinCarriesData
                                ? QStringLiteral("No password: there is no terminal to ask on; "
                                                 "use --password-file.")
                                : QStringLiteral("No password: there is no terminal to ask on; "
                                                 "use --password-stdin or --password-file."));
    }
    QString password = askOnce(terminal, "Password: ");
    check(password);
    if (confirm && askOnce(terminal, "Repeat password: ") != password) {
        throw passwordError(QStringLiteral("The two passwords do not match."));
    }
    return password;
}

} // namespace

QString readPassword(const Arguments& arguments) {
    switch (arguments.passwordSource) {
    case PasswordSource::Stdin: {
        QString password = fromStdin();
        check(password);
        return password;
    }
    case PasswordSource::File: {
        QString password = fromFile(arguments.passwordFile);
        check(password);
        return password;
    }
    case PasswordSource::Terminal:
        break;
    }
    return fromTerminal(arguments.locks(), arguments.readsStandardInput());
}

} // namespace kelvane::cli
