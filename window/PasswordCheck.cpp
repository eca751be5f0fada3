// SPDX-License-Identifier: MIT
#include "window/PasswordCheck.h"

#include "engine/Charset.h"
#include "engine/Cipher.h"
#include "engine/EngineError.h"
#include "platform/MsgBox.h"

namespace kelvane {

bool passwordUsable(const QString& password) {
    const QString character = unusableCharacter(password);
    if (character.isEmpty()) {
        // A seed that overflows is refused now, with the engine's own words, rather than after
        // the window has gone busy.
        try {
            RandomSource scratch;
            PasswordSeed(passwordCodes(password), scratch);
        } catch (const EngineError& error) {
            MsgBox(error.message(), vbExclamation, QStringLiteral("Error"));
            return false;
        }
        return true;
    }
    MsgBox(QStringLiteral("The password contains the character \"%1\", which cannot be used in a "
                          "password. Please choose another password.")
               .arg(character),
           vbExclamation, QStringLiteral("Error"));
    return false;
}

} // namespace kelvane
