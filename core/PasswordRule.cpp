// SPDX-License-Identifier: MIT
#include "core/PasswordRule.h"

#include "engine/Charset.h"
#include "engine/Cipher.h"
#include "engine/EngineError.h"
#include "engine/RandomSource.h"

namespace kelvane {

PasswordRule PasswordRule::check(const QString& password) {
    PasswordRule rule;
    if (password.isEmpty()) {
        rule.problem = Problem::Empty;
        return rule;
    }
    try {
        // A scratch generator: the process's own is not touched.
        RandomSource scratch;
        PasswordSeed(passwordCodes(password), scratch);
    } catch (const EngineError& error) {
        rule.character = unusableCharacter(password);
        rule.problem = rule.character.isEmpty() ? Problem::TooLong : Problem::UnusableCharacter;
        rule.reason = error.message();
    }
    return rule;
}

} // namespace kelvane
