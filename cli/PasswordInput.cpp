#include "PasswordInput.h"

#include "Charset.h"
#include "EngineError.h"
#include "ExitCode.h"
#include "Terminal.h"

#include <QFile>
#include <QStringDecoder>

#include <unistd.h>

namespace kelvane::cli {

namespace {

CliError passwordError(const QString& message) {
    return CliError(ExitCode::PasswordProblem, message);
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
    if (password.isEmpty()) {
        throw passwordError(QStringLiteral("The password is empty."));
    }
    try {
        passwordCodes(password);
    } catch (const EngineError& error) {
        throw passwordError(error.message());
    }
}

QString fromStdin() {
    bool ok = false;
    const QByteArray line = readLine(STDIN_FILENO, ok);
    if (!ok) {
        throw passwordError(QStringLiteral("Cannot read the password from standard input."));
    }
    return decode(line);
}

QString fromFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw passwordError(
            QStringLiteral("Cannot read the password file %1: %2").arg(path, file.errorString()));
    }
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        throw passwordError(
            QStringLiteral("Cannot read the password file %1: %2").arg(path, file.errorString()));
    }
    if (content.endsWith("\r\n")) {
        content.chop(2);
    } else if (content.endsWith('\n')) {
        content.chop(1);
    }
    return decode(content);
}

QString askOnce(const char* prompt) {
    bool ok = false;
    QByteArray line;
    {
        // Echo goes off before the prompt shows, so nothing typed after it can echo.
        const EchoOff echoOff(STDIN_FILENO);
        writeToStderr(prompt);
        line = readLine(STDIN_FILENO, ok);
    }
    if (!ok) {
        throw passwordError(QStringLiteral("Cannot read the password from the terminal."));
    }
    return decode(line);
}

QString fromTerminal(bool confirm) {
    if (!isTerminal(STDIN_FILENO)) {
        throw passwordError(QStringLiteral("No password: standard input is not a terminal; use "
                                           "--password-stdin or --password-file."));
    }
    QString password = askOnce("Password: ");
    check(password);
    if (confirm && askOnce("Repeat password: ") != password) {
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
    return fromTerminal(arguments.command == Command::Lock);
}

} // namespace kelvane::cli
