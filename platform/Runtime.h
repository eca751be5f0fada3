// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kelvane {

// Lets the event loop handle the window events that are waiting (repaints, timer ticks, clicks)
// and returns once they are done.
void DoEvents();

// The folder that holds the program file, without a trailing separator unless it is a root.
QString ProgramFolder();

// Makes ProgramFolder() report `folder` instead; an empty text goes back to the real folder.
void setProgramFolderForTesting(const QString& folder);

} // namespace kelvane
