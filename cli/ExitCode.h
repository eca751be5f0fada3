// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <algorithm>
#include <stdexcept>

namespace kelvane::cli {

// Scripts test these codes, so they keep their values.
enum class ExitCode : int {
    Done = 0,
    ReadWriteFailure = 1, // the source cannot be read or the output cannot be written
    Usage = 2,            // the command line is wrong
    Refused = 3,          // the output exists without --force, is a source, ...
    PasswordProblem = 4,  // no password, an empty one, a foreign character, two entries differ
};

// A run that goes on past failures ends with the highest code it met.
inline ExitCode worse(ExitCode a, ExitCode b) {
    return std::max(a, b);
}

// Why the tool stops: one line for stderr and the exit code that goes with it.
class CliError : public std::runtime_error {
public:
    CliError(ExitCode code, const QString& message)
        : std::runtime_error(message.toStdString()), m_code(code), m_message(message) {}

    ExitCode code() const { return m_code; }
    const QString& message() const { return m_message; }

private:
    ExitCode m_code;
    QString m_message;
};

} // namespace kelvane::cli
