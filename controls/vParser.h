// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kelvane {

class vParser {
public:
    // `Text` with every occurrence of `Find` replaced by `Replacement`, comparing exactly (case
    // matters), left to right without overlaps. An empty `Find` changes nothing. `Compare` is
    // accepted for callers that pass it and has no effect.
    QString Replace(const QString& Text, const QString& Find, const QString& Replacement,
                    int Compare = 0) const;
};

} // namespace kelvane
