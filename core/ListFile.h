// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace kelvane {

// The outcome of reading or writing a list file: ok, or the reason it failed.
struct ListFileStatus {
    bool ok = true;
    QString error;

    static ListFileStatus failed(const QString& reason) { return {false, reason}; }
    explicit operator bool() const { return ok; }
};

// A list file is UTF-8 text with one item per line, every line ended by "\n", and nothing else:
// an empty list is an empty file. Reading also accepts "\r\n" line ends, a last line without a
// line end and a leading byte order mark, and reads a file that is not valid UTF-8 as
// Windows-1252 text (the legacy program's lists); the next write makes it UTF-8.

// Writes `items` to `path` atomically: the old file stays whole until the new one is complete
// and flushed to disk; a link at `path` is replaced, not written through. An item holding a line
// break could not be read back as one item and is refused.
ListFileStatus writeListFile(const QString& path, const QStringList& items);

// Reads the items of the list file at `path` into `items`. A file that cannot be opened or read,
// or that holds a NUL byte (no text does), is refused and leaves `items` unchanged.
ListFileStatus readListFile(const QString& path, QStringList& items);

} // namespace kelvane
