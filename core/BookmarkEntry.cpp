// SPDX-License-Identifier: MIT
#include "core/BookmarkEntry.h"

namespace kelvane {

const QString BookmarkEntry::kSeparator = QStringLiteral("=");

std::optional<BookmarkEntry> BookmarkEntry::fromPieces(const QStringList& pieces) {
    if (pieces.size() != 2 || pieces[0].isEmpty() || pieces[1].isEmpty()) {
        return std::nullopt;
    }
    return BookmarkEntry{pieces[0], pieces[1]};
}

std::optional<BookmarkEntry> BookmarkEntry::parse(const QString& text) {
    return text.isEmpty() ? std::nullopt : fromPieces(text.split(kSeparator));
}

} // namespace kelvane
