// SPDX-License-Identifier: MIT
#pragma once

#include "engine/AtomicOutput.h"
#include "engine/Cipher.h"
#include "engine/OutputGroup.h"

#include <QByteArray>
#include <QString>

namespace kelvane {

// Locks or unlocks `InputFile` into `OutputFile` with `Password`: the same call does both.
// The input must be a regular file; it is streamed in fixed-size chunks, never changed, and must
// not change during the run. The output appears at `OutputFile` only once every byte is written
// and flushed, with the input's read/write/execute bits less the umask (AtomicOutput); whatever
// is at `OutputFile` is replaced only under Replace::Existing, and a folder, device, pipe or socket
// there never. On failure nothing is left and an existing output stays as it was.
//
// `yield` runs after seeding and at least every kYieldInterval bytes. To stop the run, it throws
// (EngineError(Cancelled) by convention); the exception reaches the caller, and nothing is
// published. Returns the number of bytes written.
// Throws EngineError: Charset or Overflow (before anything is read), SameFile, Read, Write, Busy,
// OutputExists, OutputNotFile, or what `yield` throws.
qint64 RndCrypt(const QString& InputFile, const QString& OutputFile, const QString& Password,
                const YieldStep& yield = {}, Replace replace = Replace::Nothing);

// RndCrypt whose finished output joins `group` instead of being published at once: it appears
// when the group flushes, which calls `done` once it is durable (or with the error that kept it
// from appearing). Failures before that are thrown as RndCrypt throws them, and `done` is not
// called for them.
qint64 RndCrypt(const QString& InputFile, const QString& OutputFile, const QString& Password,
                OutputGroup& group, OutputGroup::Done done, const YieldStep& yield = {},
                Replace replace = Replace::Nothing);

// The whole content of `pstrFile`. Throws EngineError(Read).
QByteArray LoadFileToString(const QString& pstrFile);

// True when both paths name the same existing file (the same path once resolved, or one file
// reached through a link).
bool isSameFile(const QString& first, const QString& second);

// True when both paths name the same file, or the same place for a file that does not exist yet.
bool isSamePlace(const QString& first, const QString& second);

} // namespace kelvane
