// SPDX-License-Identifier: MIT
#include "core/PathHelpers.h"

namespace kelvane {

QString getExtension(const QString& Filename) {
    const qsizetype dot = Filename.indexOf(u'.');
    return dot < 0 ? QString() : Filename.mid(dot + 1);
}

int InstrRev(const QString& StringCheck, const QString& StringMatch, int Start, int Compare) {
    const auto length = static_cast<int>(StringCheck.size());
    const auto matchLength = static_cast<int>(StringMatch.size());
    if (matchLength > length || Start > length || Start < -1 || Start == 0) {
        return 0;
    }
    const Qt::CaseSensitivity sensitivity = Compare == 1 ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int i = Start == -1 ? length : Start; i >= 1; --i) {
        if (QStringView(StringCheck).mid(i - 1, matchLength).compare(StringMatch, sensitivity) ==
            0) {
            return i;
        }
    }
    return 0;
}

} // namespace kelvane
