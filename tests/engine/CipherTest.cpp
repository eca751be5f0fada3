#include "Cipher.h"
#include "EngineTest.h"
#include "Keystream.h"

#include <QCryptographicHash>
#include <QStringDecoder>

#include <numeric>

using namespace kelvane;
using namespace kelvane::test;
namespace ks = kelvane::keystream;

namespace {

// Values the legacy runtime is documented to produce, to seven significant digits.
TEST(RandomSource, PublishedValues) {
    RandomSource source;
    for (const double value : {0.7055475, 0.533424, 0.5795186, 0.2895625, 0.301948}) {
        EXPECT_NEAR(source.NextValue(), value, 5e-7);
    }
    EXPECT_NEAR(source.Reseed(-10.0f), 0.3276443, 5e-7); // earlier draws make no difference
    source.Randomize(10);
    for (const double value : {0.2077829, 0.4407803, 0.6152623}) {
        EXPECT_NEAR(source.NextValue(), value, 5e-7);
    }
    EXPECT_NEAR(source.Reseed(-1.0f), 0.224007, 5e-7);
}

// Every kernel, and the jump ahead, against the generator drawn one byte at a time: lengths
// around the kernels' round sizes, odd start states, and a whole period.
TEST(Keystream, KernelsAndJumpsMatchTheGenerator) {
    using Kernel = std::uint32_t (*)(std::uint32_t, std::uint8_t*, std::size_t);
    std::vector<std::pair<const char*, Kernel>> kernels = {{"scalar", ks::detail::xorScalar},
                                                           {"lanes", ks::detail::xorLanes},
                                                           {"dispatch", ks::xorKeystream}};
    if (ks::detail::haveAvx2()) {
        kernels.emplace_back("avx2", ks::detail::xorAvx2);
    }
    for (const std::size_t length : {0, 1, 15, 16, 17, 63, 64, 65, 127, 128, 1000, 65536 + 3}) {
        std::vector<std::uint8_t> pattern(length);
        std::iota(pattern.begin(), pattern.end(), std::uint8_t{7});
        for (const std::uint32_t state : {0u, 0x50000u, 0xFFFFFFu, 0x8000BFu}) {
            std::vector<std::uint8_t> expected = pattern;
            RandomSource source(state);
            for (auto& byte : expected) {
                byte ^= source.NextByte();
            }
            EXPECT_EQ(ks::advance(state, length), source.state()) << length;
            for (const auto& [name, kernel] : kernels) {
                std::vector<std::uint8_t> data = pattern;
                EXPECT_EQ(kernel(state, data.data(), length), source.state()) << name << length;
                EXPECT_EQ(data, expected) << name << " length " << length << " state " << state;
            }
        }
    }
    EXPECT_EQ(ks::advance(0x123456, 1ull << 24), 0x123456u);
}

// Every code maps back to itself, the five undefined ones stand for C1 controls. Refused, and
// named: Latin A with macron; a C1 control whose code Windows-1252 gives to the euro sign; a CJK
// character; one outside the 16-bit range.
// The code of every character, held to oracles other than the engine's own table: the code
// page's characters as they print, typed in order, and the system's Windows-1252 decoder where
// Qt has one. A swapped pair would make a legacy file locked with such a password unlock as
// garbage.
TEST(Charset, EveryCodeMatchesTheCodePage) {
    const QString printed = QStringLiteral("\u20ac\u0081\u201a\u0192\u201e\u2026\u2020\u2021\u02c6"
                                           "\u2030\u0160\u2039\u0152\u008d\u017d\u008f"
                                           "\u0090\u2018\u2019\u201c\u201d\u2022\u2013\u2014\u02dc"
                                           "\u2122\u0161\u203a\u0153\u009d\u017e\u0178");
    ASSERT_EQ(printed,
              QString::fromUtf8("€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008dŽ\u008f\u0090‘’“”•–—˜™š›œ\u009džŸ"));
    QByteArray high(32, '\0');
    std::iota(high.begin(), high.end(), '\x80');
    EXPECT_EQ(passwordCodes(printed), high);
    EXPECT_EQ(textFor(high), printed);

    QByteArray all(256, '\0');
    std::iota(all.begin(), all.end(), '\0');
    EXPECT_EQ(passwordCodes(QString::fromLatin1(all.first(0x80)) + printed +
                            QString::fromLatin1(all.sliced(0xA0))),
              all);
    QStringDecoder windows1252("windows-1252");
    if (windows1252.isValid()) {
        const QString decoded = windows1252(all);
        for (int code = 0; code < 256; ++code) {
            // The five codes the code page leaves open decode differently from system to system.
            if (!QByteArray("\x81\x8D\x8F\x90\x9D").contains(char(code))) {
                EXPECT_EQ(passwordCodes(decoded.mid(code, 1)), all.mid(code, 1)) << code;
            }
        }
    }
}

TEST(Charset, CodesAndRefusals) {
    QByteArray all(256, '\0');
    std::iota(all.begin(), all.end(), '\0');
    EXPECT_EQ(passwordCodes(textFor(all)), all);
    EXPECT_EQ(passwordCodes(u"\u0081\u008D\u008F\u0090\u009D"), QByteArray("\x81\x8D\x8F\x90\x9D"));
    for (const char* named : {"U+0100", "U+0080", "U+4E2D", "U+1F511"}) {
        const char32_t ch = QByteArray(named + 2).toUInt(nullptr, 16);
        try {
            passwordCodes(QStringLiteral("key") + QString::fromUcs4(&ch, 1));
            ADD_FAILURE() << "accepted " << named;
        } catch (const EngineError& error) {
            EXPECT_EQ(error.kind(), EngineError::Kind::Charset);
            EXPECT_TRUE(error.message().contains(QLatin1String(named)))
                << error.message().toStdString();
        }
    }
}

TEST(LockVectors, EveryRow) {
    for (const auto& row : readTable("lock.tsv")) {
        ASSERT_EQ(row.size(), 5);
        SCOPED_TRACE("password " + row[0].toStdString());
        const QByteArray codes = QByteArray::fromHex(row[0]);
        if (!row[1].isEmpty()) {
            EXPECT_EQ(passwordCodes(QString::fromUtf8(row[1])), codes);
        }
        RandomSource source;
        EXPECT_EQ(PasswordSeed(codes, source), row[2].toInt());
        QByteArray content = QByteArray::fromHex(row[3]);
        RndCryptBuffer(bytes(content), codes, {}, source);
        EXPECT_EQ(content.toHex(), row[4]);
    }
}

// The seed is a signed 32-bit sum: a password long enough to pass 2^31 - 1 is refused, never
// wrapped, and nothing is transformed.
TEST(PasswordSeed, OverflowIsAnError) {
    const QByteArray longest(20'000'000, '\xFF');
    QByteArray content("unchanged");
    EXPECT_EQ(failureOf([&] { RndCryptBuffer(bytes(content), longest); }),
              EngineError::Kind::Overflow);
    EXPECT_EQ(content, "unchanged");
}

// Long streams run past the generator's period; the hash covers every keystream byte.
TEST(LockVectors, LongStreams) {
    for (const auto& row : readTable("long.tsv")) {
        QByteArray content(row[1].toLongLong(), '\0');
        RndCryptBuffer(bytes(content), QByteArray::fromHex(row[0]));
        EXPECT_EQ(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex(), row[2])
            << row[0].toStdString();
    }
}

} // namespace
