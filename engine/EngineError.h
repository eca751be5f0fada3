#pragma once

#include <QString>

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
        Read,          // the input cannot be opened or read
        Write,         // the output cannot be created, written or committed
        Busy,          // another transform is running in this process
    };

    EngineError(Kind kind, const QString& message)
        : std::runtime_error(message.toStdString()), m_kind(kind), m_message(message) {}

    Kind kind() const { return m_kind; }
    const QString& message() const { return m_message; }

private:
    Kind m_kind;
    QString m_message;
};

} // namespace kelvane
