// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kelvane {

enum class NameRule { Lock, Unlock };

// The output path for `sourcePath` under the lock or unlock rule. The rule works on the file
// name only; the folder part is kept exactly as given.
//  - Lock removes "_unlocked" from the name, Unlock removes "_locked".
//  - A name without an extension gets ".locked" / ".unlocked" appended.
//  - Otherwise "_locked." / "_unlocked." goes before the extension (everything after the first
//    dot of the name): report.txt -> report_locked.txt, archive.tar.gz -> archive_locked.tar.gz.
QString outputPathFor(const QString& sourcePath, NameRule rule);

// Where the file name starts in `path`: one past its last folder separator.
qsizetype fileNameStart(const QString& path);

} // namespace kelvane
