// SPDX-License-Identifier: MIT
#include "core/PathHelpers.h"

#include <algorithm>
#include <utility>
#include <vector>

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

QStringList sortedEntries(const QString& path, QDir::Filters filters) {
    const QStringList names = QDir(path).entryList(filters, QDir::Unsorted);
    std::vector<std::pair<QString, QString>> keyed; // (name in lower case, name)
    keyed.reserve(static_cast<std::size_t>(names.size()));
    for (const QString& name : names) {
        keyed.emplace_back(name.toLower(), name);
    }
    std::sort(keyed.begin(), keyed.end());
    QStringList sorted;
    sorted.reserve(names.size());
    for (auto& entry : keyed) {
        sorted.append(std::move(entry.second));
    }
    return sorted;
}

} // namespace kelvane
