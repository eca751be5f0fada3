// SPDX-License-Identifier: MIT
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

namespace kelvane {

// The extension of `Filename`: everything after its first "." (the whole text is searched, so a
// dot in a folder name counts), or the empty text when there is no dot.
QString getExtension(const QString& Filename);

// The 1-based position at which `StringMatch` last begins in `StringCheck`, searching down from
// `Start` (-1: from the end), or 0. `Compare` 0 compares character codes, 1 ignores case.
// An out-of-range `Start` (0, below -1, beyond the end) gives 0.
int InstrRev(const QString& StringCheck, const QString& StringMatch, int Start = -1,
             int Compare = 0);

// The names in the folder `path` that `filters` lets through, in the order of the file and folder
// lists: by name, letter case ignored (as QDir::Name | QDir::IgnoreCase sorts them; names equal but
// for case by their code units). Sorted by name alone, which is much faster for large folders than
// QDir's sorting by file information.
QStringList sortedEntries(const QString& path, QDir::Filters filters);

} // namespace kelvane
