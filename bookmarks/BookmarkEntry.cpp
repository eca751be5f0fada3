#include "BookmarkEntry.h"

#include "vTools.h"

#include <QListWidget>

namespace kelvane {

const QString BookmarkEntry::kSeparator = QStringLiteral("=");

std::optional<BookmarkEntry> BookmarkEntry::split(const QString& text, const vTools& tools,
                                                  QListWidget& scratch) {
    scratch.clear();
    tools.SplitToList(text, kSeparator, scratch, QString());
    if (scratch.count() != 2) {
        return std::nullopt;
    }
    BookmarkEntry entry{scratch.item(0)->text(), scratch.item(1)->text()};
    if (entry.source.isEmpty() || entry.output.isEmpty()) {
        return std::nullopt;
    }
    return entry;
}

} // namespace kelvane
