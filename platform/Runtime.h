// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kelvane {

// The folder that holds the program file, without a trailing separator unless it is a root.
QString ProgramFolder();

// Makes ProgramFolder() report `folder` instead; an empty text goes back to the real folder.
void setProgramFolderForTesting(const QString& folder);

} // namespace kelvane
