// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

namespace kelvane {

// Password text to the single-byte codes that seed the keystream (Windows-1252). A character
// outside the character set throws EngineError(Charset) naming it; nothing is replaced silently.
QByteArray passwordCodes(QStringView password);

// The first character of `password` that has no code, as text (a character outside the basic plane
// counts as one), or the empty text when every character has one.
QString unusableCharacter(QStringView password);

// The character that a code stands for (the inverse of passwordCodes for one byte).
char32_t charForCode(unsigned char code);

} // namespace kelvane
