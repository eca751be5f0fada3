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
// line end and a leading byte order mark.

// Writes `items` to `path` atomically: the old file stays whole until the new one is complete.
// An item holding a line break could not be read back as one item and is refused.
ListFileStatus writeListFile(const QString& path, const QStringList& items);

// Reads the items of the list file at `path` into `items`. A file that cannot be opened or is
// not valid UTF-8 is refused and leaves `items` unchanged.
ListFileStatus readListFile(const QString& path, QStringList& items);

} // namespace kelvane
