// SPDX-License-Identifier: MIT
#pragma once

#include <QDir>
#include <QString>
#include <QStringList>

#include <vector>

namespace kelvane {

// The extension of `Filename`: everything after its first "." (the whole text is searched, so a
// dot in a folder name counts), or the empty text when there is no dot.
QString getExtension(const QString& Filename);

// The 1-based position at which `StringMatch` last begins in `StringCheck`, searching down from
// `Start` (-1: from the end), or 0. `Compare` 0 compares character codes, 1 ignores case.
// An out-of-range `Start` (0, below -1, beyond the end) gives 0.
int InstrRev(const QString& StringCheck, const QString& StringMatch, int Start = -1,
             int Compare = 0);

// The names in the folder `path` that `filters` lets through (Files, Dirs, Hidden; "." and ".."
// never), as the folder gives them: the bytes of each name followed by a NUL, in the folder's own
// order; none when it cannot be read. A folder read again while nothing in it changed gives the
// same bytes, so two readings compare cheaply.
QByteArray folderEntries(const QString& path, QDir::Filters filters);

// Where each name of `entries` (as folderEntries gives them) starts, in the order of the file and
// folder lists: by name, letter case ignored, as QDir::Name | QDir::IgnoreCase sorts them, and
// names equal but for case by their code units, capitals first (QDir puts small letters first).
// Sorted by name alone, which is much faster for large folders than QDir's sorting by file
// information.
std::vector<qsizetype> sortedOrder(QByteArrayView entries);

// The bytes of the name of `entries` that starts at `start`.
QByteArrayView nameAt(QByteArrayView entries, qsizetype start);

// The names of `entries` in the order of sortedOrder, each decoded as a file name
// (decodeFileName: a name that is not valid text is kept byte for byte).
QStringList sortedNames(QByteArrayView entries);

} // namespace kelvane
