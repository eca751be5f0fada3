// SPDX-License-Identifier: MIT
#include "cli/Messages.h"

#include "cli/Terminal.h"

#include <unistd.h>

namespace kelvane::cli {

void reportError(QString message) {
    message.replace(u'\n', u' ').replace(u'\r', u' ');
    writeAll(STDERR_FILENO, QStringLiteral("kelvane-cli: %1\n").arg(message).toUtf8());
}

void reportNotice(const QString& text) {
    writeAll(STDERR_FILENO, (text + QLatin1Char('\n')).toUtf8());
}

QString quoted(const QString& path) {
    return QLatin1Char('"') + path + QLatin1Char('"');
}

QString withQuotedPath(QString message, const QString& path) {
    if (path.isEmpty()) {
        return message;
    }
    // The engine names a path after a space and before a space, ":" or the final ".".
    for (qsizetype at = message.indexOf(path); at >= 0; at = message.indexOf(path, at + 1)) {
        const qsizetype end = at + path.size();
        const bool whole = at > 0 && message[at - 1] == u' ' &&
                           (end == message.size() || message[end] == u' ' || message[end] == u':' ||
                            message.sliced(end) == u".");
        if (whole) {
            return message.replace(at, path.size(), quoted(path));
        }
    }
    return message;
}

ExitCode exitCodeFor(EngineError::Kind kind) {
    switch (kind) {
    case EngineError::Kind::Overflow:
    case EngineError::Kind::Charset:
    case EngineError::Kind::EmptyPassword:
        return ExitCode::PasswordProblem;
    case EngineError::Kind::SameFile:
    case EngineError::Kind::OutputExists:
    case EngineError::Kind::OutputNotFile:
        return ExitCode::Refused;
    case EngineError::Kind::Read:
    case EngineError::Kind::Write:
    case EngineError::Kind::Busy:
    case EngineError::Kind::Cancelled:
    case EngineError::Kind::Unflushed:
        break;
    }
    return ExitCode::ReadWriteFailure;
}

} // namespace kelvane::cli
