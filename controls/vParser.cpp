// SPDX-License-Identifier: MIT
#include "controls/vParser.h"

namespace kelvane {

QString vParser::Replace(const QString& Text, const QString& Find, const QString& Replacement,
                         int /*Compare*/) const {
    if (Find.isEmpty()) {
        return Text;
    }
    QString result = Text;
    result.replace(Find, Replacement, Qt::CaseSensitive);
    return result;
}

} // namespace kelvane
