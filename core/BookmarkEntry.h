// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace kelvane {

// One bookmark: the file to lock and the locked file it is to become. The list shows and stores
// it as one text, the source path, "=", the output path.
struct BookmarkEntry {
    QString source;
    QString output;

    static const QString kSeparator; // "="

    QString text() const { return source + kSeparator + output; }

    // A path holding "=" would make its entry split at the wrong place, so it cannot be stored.
    static bool storable(const QString& path) { return !path.contains(kSeparator); }

    // The entry made of the pieces of an entry text split at "=": nothing unless there are
    // exactly two pieces and neither is empty.
    static std::optional<BookmarkEntry> fromPieces(const QStringList& pieces);

    // An entry text split at "=" (fromPieces).
    static std::optional<BookmarkEntry> parse(const QString& text);
};

} // namespace kelvane
