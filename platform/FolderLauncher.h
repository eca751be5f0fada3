// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <functional>

namespace kelvane {

// Starts the desktop's file manager on `folder` and does not wait for it. On Windows the command
// line is "explorer " followed by the folder; elsewhere the desktop's default file manager for
// the folder, which gets the path as one argument (no shell is involved). Returns false when
// nothing could be started. Where the desktop's opener (xdg-open) is used, it may find no file
// manager only after it has started: `failedLater` then runs, from the event loop.
bool OpenFolderInFileManager(const QString& folder, std::function<void()> failedLater = {});

// Replaces the real start by `launch` (tests read the folder asked for); an empty function
// restores the real start.
void setFolderLauncherForTesting(std::function<bool(const QString&)> launch);

} // namespace kelvane
