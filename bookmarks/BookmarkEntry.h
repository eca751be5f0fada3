#pragma once

#include <QString>

#include <optional>

class QListWidget;

namespace kelvane {

class vTools;

// One bookmark: the file to lock and the locked file it is to become. The list shows and stores
// it as one text, the source path, "=", the output path.
struct BookmarkEntry {
    QString source;
    QString output;

    static const QString kSeparator; // "="

    QString text() const { return source + kSeparator + output; }

    // A path holding "=" would make its entry split at the wrong place, so it cannot be stored.
    static bool storable(const QString& path) { return !path.contains(kSeparator); }

    // Splits an entry text into its two paths through the tools control, using `scratch` (the
    // hidden list box) for the pieces. Nothing unless the text has exactly two pieces and
    // neither is empty.
    static std::optional<BookmarkEntry> split(const QString& text, const vTools& tools,
                                              QListWidget& scratch);
};

} // namespace kelvane
