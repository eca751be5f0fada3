// SPDX-License-Identifier: MIT
#pragma once

#include "core/ListFile.h"

class QListWidget;

namespace kelvane {

// Keeps the items of a list box in a list file (one item per line, UTF-8).
class vFile {
public:
    // Writes every item of `list`, in order, to `path`. The old file stays whole on failure.
    ListFileStatus SaveList(const QListWidget& list, const QString& path) const;

    // Adds the items stored at `path` to the end of `list`, in order. On failure `list` is left
    // as it was.
    ListFileStatus LoadList(QListWidget& list, const QString& path) const;
};

} // namespace kelvane
