// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kelvane {

// The extension of `Filename`: everything after its first "." (the whole text is searched, so a
// dot in a folder name counts), or the empty text when there is no dot.
QString getExtension(const QString& Filename);

// The 1-based position at which `StringMatch` last begins in `StringCheck`, searching down from
// `Start` (-1: from the end), or 0. `Compare` 0 compares character codes, 1 ignores case.
// An out-of-range `Start` (0, below -1, beyond the end) gives 0.
int InstrRev(const QString& StringCheck, const QString& StringMatch, int Start = -1,
             int Compare = 0);

} // namespace kelvane
