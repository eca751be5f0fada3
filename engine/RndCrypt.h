#pragma once

#include "Cipher.h"

#include <QByteArray>
#include <QString>

namespace kelvane {

// Locks or unlocks `InputFile` into `OutputFile` with `Password`: the same call does both.
// The input is streamed in fixed-size chunks and never changed. The output is written to a
// temporary file beside it and only renamed onto `OutputFile` once every byte is written and
// flushed, with the input's permission bits; on failure nothing is left at `OutputFile` (an
// existing file there stays as it was). Returns the number of bytes written.
// Throws EngineError: Charset or Overflow (before anything is read), SameFile, Read, Write, Busy.
qint64 RndCrypt(const QString& InputFile, const QString& OutputFile, const QString& Password,
                const YieldStep& yield = {});

// The whole content of `pstrFile`. Throws EngineError(Read).
QByteArray LoadFileToString(const QString& pstrFile);

// True when both paths name the same existing file (the same path once resolved, or one file
// reached through a link).
bool isSameFile(const QString& first, const QString& second);

} // namespace kelvane
