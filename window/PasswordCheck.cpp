// SPDX-License-Identifier: MIT
#include "window/PasswordCheck.h"

#include "core/PasswordRule.h"
#include "platform/MsgBox.h"

namespace kelvane {

bool passwordUsable(const QString& password) {
    const PasswordRule rule = PasswordRule::check(password);
    switch (rule.problem) {
    case PasswordRule::Problem::None:
    case PasswordRule::Problem::Empty: // each command asks for a password in its own words first
        return true;
    case PasswordRule::Problem::UnusableCharacter:
        MsgBox(QStringLiteral("The password contains the character \"%1\", which cannot be used "
                              "in a password. Please choose another password.")
                   .arg(rule.character),
               vbExclamation, QStringLiteral("Error"));
        return false;
    case PasswordRule::Problem::TooLong:
        // Refused now, with the engine's own words, rather than after the window has gone busy.
        MsgBox(rule.reason, vbExclamation, QStringLiteral("Error"));
        return false;
    }
    return false;
}

} // namespace kelvane
