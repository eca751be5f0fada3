#pragma once

#include <QString>

#include <functional>

namespace kelvane {

// Starts the desktop's file manager on `folder` and does not wait for it. On Windows the command
// line is "explorer " followed by the folder; elsewhere the desktop's default file manager for
// the folder, which gets the path as one argument (no shell is involved). Returns whether the
// start was handed over; nobody has to look at it.
bool OpenFolderInFileManager(const QString& folder);

// Replaces the real start by `launch` (tests read the folder asked for); an empty function
// restores the real start.
void setFolderLauncherForTesting(std::function<bool(const QString&)> launch);

} // namespace kelvane
