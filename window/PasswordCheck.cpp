#include "PasswordCheck.h"

#include "Charset.h"
#include "MsgBox.h"

namespace kelvane {

bool passwordUsable(const QString& password) {
    const QString character = unusableCharacter(password);
    if (character.isEmpty()) {
        return true;
    }
    MsgBox(QStringLiteral("The password contains the character \"%1\", which cannot be used in a "
                          "password. Please choose another password.")
               .arg(character),
           vbExclamation, QStringLiteral("Error"));
    return false;
}

} // namespace kelvane
