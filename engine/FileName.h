// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace kelvane {

// File names on this system are bytes, most often UTF-8 text but not always: files from old
// archives and disks carry names in other code pages. The programs hold names as text, so each
// byte that is not part of valid UTF-8 is kept as one character of its own, U+DC80 to U+DCFF
// (a lone low surrogate, which decoded UTF-8 never holds), and goes back to that byte when the
// name is used. Every name read from the system or the command line thus reaches the system
// again byte for byte. Qt's own file classes replace such bytes by U+FFFD and cannot be used for
// these names.

// The text of a file name or path given as bytes (argv, readdir, readlink, getcwd).
QString decodeFileName(QByteArrayView bytes);

// The bytes of a name made by decodeFileName, exactly as they were.
QByteArray encodeFileName(const QString& name);

// True when the name is valid text throughout: it holds no byte kept by decodeFileName and can
// be written to a text file and read back exactly.
bool isTextName(const QString& name);

// The name as it is shown to the user: each byte that is not text as the replacement mark
// U+FFFD.
QString shownName(const QString& name);

// The program's arguments, each decoded as a file name.
QStringList argumentsOf(int argc, char* argv[]);

// `path` made absolute against the working folder, with "." and ".." parts and doubled
// slashes removed. Text only: the file system is not asked.
QString absoluteFileName(const QString& path);

// The real path of an existing file or folder (links resolved), or the empty text.
QString canonicalFileName(const QString& path);

} // namespace kelvane
