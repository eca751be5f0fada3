// SPDX-License-Identifier: MIT
#include "engine/FileName.h"

#include <QDir>

#include <cstdlib>
#include <memory>

#include <unistd.h>

namespace kelvane {

namespace {

constexpr char16_t kFirstKeptByte = 0xDC80;
constexpr char16_t kLastKeptByte = 0xDCFF;

bool isContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the valid UTF-8 sequence at the start of `bytes`, and its code point; 0 when
// the first byte does not start one (a stray or missing continuation byte, an overlong form, a
// surrogate, a code point beyond U+10FFFF).
qsizetype validSequence(QByteArrayView bytes, char32_t& codePoint) {
    const auto at = [&](qsizetype i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    qsizetype length = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        codePoint = lead;
        return 1;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        least = 0x80;
        codePoint = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        least = 0x800;
        codePoint = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        least = 0x10000;
        codePoint = lead & 0x07;
    } else {
        return 0;
    }
    if (bytes.size() < length) {
        return 0;
    }
    for (qsizetype i = 1; i < length; ++i) {
        if (!isContinuation(at(i))) {
            return 0;
        }
        codePoint = (codePoint << 6) | (at(i) & 0x3F);
    }
    if (codePoint < least || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
        return 0;
    }
    return length;
}

// True when the unit at `i` stands for a byte: a low surrogate of that range that is not the
// second half of a pair.
bool isKeptByte(const QString& name, qsizetype i) {
    const char16_t unit = name[i].unicode();
    return unit >= kFirstKeptByte && unit <= kLastKeptByte &&
           (i == 0 || !name[i - 1].isHighSurrogate());
}

} // namespace

QString decodeFileName(QByteArrayView bytes) {
    QString name(bytes.size(), Qt::Uninitialized);
    QChar* out = name.data();
    while (!bytes.isEmpty()) {
        char32_t codePoint = 0;
        const qsizetype length = validSequence(bytes, codePoint);
        if (length == 0) {
            *out++ = QChar(static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[0])));
            bytes = bytes.sliced(1);
            continue;
        }
        // A sequence of two or more bytes takes at most as many UTF-16 units.
        if (QChar::requiresSurrogates(codePoint)) {
            *out++ = QChar(QChar::highSurrogate(codePoint));
            *out++ = QChar(QChar::lowSurrogate(codePoint));
        } else {
            *out++ = QChar(static_cast<char16_t>(codePoint));
        }
        bytes = bytes.sliced(length);
    }
    name.truncate(out - name.constData());
    return name;
}

QByteArray encodeFileName(const QString& name) {
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype textStart = 0;
    for (qsizetype i = 0; i <= name.size(); ++i) {
        if (i < name.size() && !isKeptByte(name, i)) {
            continue;
        }
        bytes += QStringView(name).sliced(textStart, i - textStart).toUtf8();
        if (i < name.size()) {
            bytes += static_cast<char>(name[i].unicode() - 0xDC00);
        }
        textStart = i + 1;
    }
    return bytes;
}

bool isTextName(const QString& name) {
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar unit = name[i];
        if (unit.isHighSurrogate() && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            ++i;
        } else if (unit.isSurrogate()) {
            return false;
        }
    }
    return true;
}

QString shownName(const QString& name) {
    QString shown = name;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (isKeptByte(name, i)) {
            shown[i] = QChar::ReplacementCharacter;
        }
    }
    return shown;
}

QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(decodeFileName(argv[i]));
    }
    return arguments;
}

QString absoluteFileName(const QString& path) {
    if (path.startsWith(u'/')) {
        return QDir::cleanPath(path);
    }
    const std::unique_ptr<char, decltype(&std::free)> folder(::getcwd(nullptr, 0), &std::free);
    const QString base = folder ? decodeFileName(folder.get()) : QStringLiteral("/");
    return QDir::cleanPath(base + u'/' + path);
}

QString canonicalFileName(const QString& path) {
    const std::unique_ptr<char, decltype(&std::free)> real(
        ::realpath(encodeFileName(path).constData(), nullptr), &std::free);
    return real ? decodeFileName(real.get()) : QString();
}

} // namespace kelvane
