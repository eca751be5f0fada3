// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kelvane {

// Whether a password can lock and unlock files, the same for the window and the command line;
// each tells the user in its own words.
struct PasswordRule {
    enum class Problem {
        None,
        Empty,
        UnusableCharacter, // a character with no single-byte code
        TooLong,           // its seed would not fit
    };

    Problem problem = Problem::None;
    QString character; // the first character that cannot be used
    QString reason;    // the engine's words, for UnusableCharacter and TooLong

    // Checks `password` before anything is touched, as the engine would when it seeds.
    static PasswordRule check(const QString& password);

    bool usable() const { return problem == Problem::None; }
};

} // namespace kelvane
