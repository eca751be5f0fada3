// SPDX-License-Identifier: MIT
#include "engine/Charset.h"

#include "engine/EngineError.h"

#include <QList>
#include <QString>

#include <array>

namespace kelvane {

namespace {

// 0x80..0x9F of Windows-1252. The five codes the code page leaves undefined stand for the C1
// control character of the same value, as the legacy platform's conversion does.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

int codeForChar(char32_t ch) {
    if (ch < 0x80 || (ch >= 0xA0 && ch <= 0xFF)) {
        return static_cast<int>(ch);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == ch) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}

QString describe(char32_t ch) {
    const QString code =
        QStringLiteral("U+%1").arg(static_cast<uint>(ch), 4, 16, QChar(u'0')).toUpper();
    if (ch >= 0x20 && ch != 0x7F && QChar::isPrint(ch)) {
        return QStringLiteral("\"%1\" (%2)").arg(QString::fromUcs4(&ch, 1), code);
    }
    return code;
}

} // namespace

QString unusableCharacter(QStringView password) {
    for (const char32_t ch : password.toUcs4()) {
        if (codeForChar(ch) < 0) {
            return QString::fromUcs4(&ch, 1);
        }
    }
    return QString();
}

char32_t charForCode(unsigned char code) {
    if (code >= 0x80 && code < 0xA0) {
        return kHighControls[code - 0x80];
    }
    return code;
}

QByteArray passwordCodes(QStringView password) {
    QByteArray codes;
    codes.reserve(password.size());
    for (const char32_t ch : password.toUcs4()) {
        const int code = codeForChar(ch);
        if (code < 0) {
            throw EngineError(EngineError::Kind::Charset,
                              QStringLiteral("The password holds the character %1, which has no "
                                             "code in the Windows-1252 character set.")
                                  .arg(describe(ch)));
        }
        codes.append(static_cast<char>(code));
    }
    return codes;
}

} // namespace kelvane
