// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Keystream.h"
#include "engine/RandomSource.h"

#include <QByteArrayView>
#include <QString>

#include <span>
#include <vector>

namespace kelvane {

// Seeds `source` for the stepped keystream, from where it stands (no Reseed): for each password
// code a, draws a values and keeps the last one rounded to 0 or 1 (0.5 gives 0), then calls
// Randomize with that seed value. A code of 0 draws nothing and reuses the previous seed value.
void seedSteppedKeystream(QByteArrayView codes, RandomSource& source);

// The keystream of the stepped transforms: byte j is XORed with the next draw, after which
// 2 x a(p) draws are skipped, p cycling through the password codes from the first.
class SteppedKeystream {
public:
    // `codes` must not be empty.
    explicit SteppedKeystream(QByteArrayView codes);

    // XORs `data` with the next keystream bytes, continuing where the previous call stopped, and
    // leaves `source` exactly where drawing them one by one would.
    void apply(std::span<std::uint8_t> data, RandomSource& source);

private:
    std::vector<keystream::Affine> m_byteStep; // one byte's draws, per password position
    std::size_t m_position = 0;
};

// Transforms `InputFile` into `OutputFile` with the stepped keystream of `PasswordKey`, drawing
// from `source` where it stands, so the result depends on every earlier draw. A second run on the
// output restores the input only from the same generator state. The input is streamed and never
// changed; the output replaces `OutputFile` only once complete, and holds exactly the transformed
// bytes. The generator is untouched unless both files opened. Returns the number of bytes written.
// Throws EngineError: Charset (an empty password or a character outside the character set, before
// any file is opened), SameFile, Read (a missing input creates nothing), Write, Busy.
qint64 SteppedTransform(const QString& InputFile, const QString& OutputFile,
                        const QString& PasswordKey, RandomSource& source = processRandomSource());

// Copies `InputFile` to `CopyFile` (replacing an earlier copy, which is left behind afterwards),
// then transforms the copy into `OutputFile` as SteppedTransform does. The copy fails, and nothing
// is created, when the folder of `CopyFile` is missing. `OutputFile` may be `InputFile` itself:
// the original then survives in the copy.
// Throws EngineError as SteppedTransform does; SameFile when `CopyFile` is the input or the output.
qint64 SteppedTransformFromCopy(const QString& InputFile, const QString& CopyFile,
                                const QString& OutputFile, const QString& PasswordKey,
                                RandomSource& source = processRandomSource());

} // namespace kelvane
