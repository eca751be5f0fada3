#include "Charset.h"
#include "EngineError.h"

#include <gtest/gtest.h>

using namespace kelvane;

namespace {

TEST(Charset, EveryCodeMapsBackToItself) {
    for (int code = 0; code < 256; ++code) {
        const char32_t ch = charForCode(static_cast<unsigned char>(code));
        const QByteArray codes = passwordCodes(QString::fromUcs4(&ch, 1));
        ASSERT_EQ(codes.size(), 1) << code;
        EXPECT_EQ(static_cast<unsigned char>(codes[0]), code);
    }
}

TEST(Charset, KnownCharacters) {
    struct Case {
        const char16_t* text;
        QByteArray codes;
    };
    const Case cases[] = {
        {u"", QByteArray()},
        {u"secret", QByteArray("secret")},
        {u"\u20AC\u00E9\u00FF\u0178", QByteArray("\x80\xE9\xFF\x9F")},
        {u"\u0081\u008D\u008F\u0090\u009D", QByteArray("\x81\x8D\x8F\x90\x9D")},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(passwordCodes(QString::fromUtf16(c.text)), c.codes);
    }
}

TEST(Charset, RefusesCharactersOutsideTheSetAndNamesThem) {
    struct Case {
        const char16_t* text;
        const char* named;
    };
    const Case cases[] = {
        {u"pass\u0100word", "U+0100"}, // Latin A with macron
        {u"\u0080", "U+0080"},         // a C1 control that Windows-1252 uses for the euro sign
        {u"key\u4E2D", "U+4E2D"},
    };
    for (const Case& c : cases) {
        try {
            passwordCodes(QString::fromUtf16(c.text));
            ADD_FAILURE() << "accepted " << c.named;
        } catch (const EngineError& error) {
            EXPECT_EQ(error.kind(), EngineError::Kind::Charset);
            EXPECT_TRUE(error.message().contains(QLatin1String(c.named)))
                << error.message().toStdString();
        }
    }
    const QString emoji = QString::fromUtf8("\xF0\x9F\x94\x91");
    EXPECT_THROW(passwordCodes(emoji), EngineError);
}

} // namespace
