// SPDX-License-Identifier: MIT
#include "window/SteppedProcedures.h"

#include "engine/SteppedTransform.h"
#include "platform/MsgBox.h"
#include "platform/Runtime.h"

#include <QDir>

namespace kelvane {

namespace {

void reportDone() {
    MsgBox(QStringLiteral("Done! Process complete."), vbInformation, QStringLiteral("Ready"));
}

} // namespace

void FileEncode(const QString& InputFile, const QString& OutputFile, const QString& PasswordKey) {
    SteppedTransform(InputFile, OutputFile, PasswordKey);
    reportDone();
}

void FileEncodeAndDecode(const QString& InputFile, const QString& OutputFile,
                         const QString& PasswordKey) {
    FileEncode(InputFile, OutputFile, PasswordKey);
}

// The file numbers the legacy procedure took from the platform are the file handles here.
void FileEncodeAndDecode_original(const QString& InputFile, const QString& OutputFile,
                                  const QString& PasswordKey) {
    FileEncode(InputFile, OutputFile, PasswordKey);
}

void FileDecode(const QString& InputFile, const QString& OutputFile, const QString& PasswordKey) {
    const QString copy = QDir::cleanPath(ProgramFolder() + QStringLiteral("/tmp/1.txt"));
    SteppedTransformFromCopy(InputFile, copy, OutputFile, PasswordKey);
    reportDone();
}

} // namespace kelvane
