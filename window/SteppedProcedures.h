// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

namespace kelvane {

// The main window's stepped keystream file transforms. Each draws from the process generator
// where it stands, so a second run undoes the first only from the same generator state, and each
// ends with "Done! Process complete." titled "Ready". Failures reach the caller as EngineError,
// with no message shown. No command of the window calls them.
void FileEncode(const QString& InputFile, const QString& OutputFile, const QString& PasswordKey);
void FileEncodeAndDecode(const QString& InputFile, const QString& OutputFile,
                         const QString& PasswordKey);
void FileEncodeAndDecode_original(const QString& InputFile, const QString& OutputFile,
                                  const QString& PasswordKey);
// Works on a copy of InputFile at the program's folder followed by "/tmp/1.txt", which stays.
void FileDecode(const QString& InputFile, const QString& OutputFile, const QString& PasswordKey);

} // namespace kelvane
