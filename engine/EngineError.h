// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <cstring>
#include <stdexcept>

namespace kelvane {

// Every failure of the lock engine. The engine words the reason; the callers decide how to show it.
class EngineError : public std::runtime_error {
public:
    enum class Kind {
        Overflow,      // the password seed does not fit a signed 32-bit count
        Charset,       // a password character has no single-byte code
        EmptyPassword, // a password is required and none was given
        SameFile,      // the output is the input itself
        Read,          // the input cannot be opened or read, is not a regular file, or changed
        Write,         // the output cannot be created, written, flushed or published
        Busy,          // another transform is running in this process
        OutputExists,  // something is at the output and nobody agreed to replace it
        OutputNotFile, // the output is a folder, device, pipe or socket: never replaced
        Cancelled,     // the caller stopped the run from its yield step
        Unflushed,     // the output is complete and in place, but its folder's flush failed
    };

    EngineError(Kind kind, const QString& message)
        : std::runtime_error(message.toStdString()), m_kind(kind), m_message(message) {}

    // "Cannot read PATH: REASON." and "Cannot write PATH: REASON.", the reason as one sentence.
    static EngineError reading(const QString& path, const QString& reason) {
        return EngineError(Kind::Read,
                           QStringLiteral("Cannot read %1: %2").arg(path, sentence(reason)));
    }
    static EngineError writing(const QString& path, const QString& reason) {
        return EngineError(Kind::Write,
                           QStringLiteral("Cannot write %1: %2").arg(path, sentence(reason)));
    }
    // The system's words for an error number.
    static QString systemReason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

    // What a yield step throws to stop a run.
    static EngineError cancelled() {
        return EngineError(Kind::Cancelled, QStringLiteral("Stopped before the end; nothing was "
                                                           "written."));
    }

    Kind kind() const { return m_kind; }
    const QString& message() const { return m_message; }

private:
    static QString sentence(const QString& reason) {
        return reason.endsWith(QLatin1Char('.')) ? reason : reason + QLatin1Char('.');
    }

    Kind m_kind;
    QString m_message;
};

} // namespace kelvane
