// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QListWidget;

namespace kelvane {

class vTools {
public:
    // True exactly when a file (not a folder) exists at `Path`. `Flag` has no effect.
    bool FileExists(const QString& Path, bool Flag = false) const;

    // Adds to `list` the pieces of `Text` between the occurrences of `Separator`, in order, one
    // item each (empty pieces included). An empty `Text` adds nothing; an empty `Separator`
    // adds `Text` as one piece. `Reserved` has no effect.
    void SplitToList(const QString& Text, const QString& Separator, QListWidget& list,
                     const QString& Reserved = QString()) const;

    // Readies the library for a run of work; there is nothing to do.
    void Prepare(int Mode) const;
};

} // namespace kelvane
