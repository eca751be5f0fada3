#include "EngineTest.h"
#include "Keystream.h"

#include <QCryptographicHash>

#include <numeric>

using namespace kelvane;
using namespace kelvane::test;
namespace ks = kelvane::keystream;

namespace {

// Every kernel (the dispatch takes the AVX2 one where the processor has it), and the jump
// ahead, against the generator drawn one byte at a time: lengths around the kernels' round
// sizes, odd start states, and a whole period.
TEST(Keystream, KernelsAndJumpsMatchTheGenerator) {
    const auto kernels = {ks::detail::xorScalar, ks::detail::xorLanes, ks::xorKeystream};
    for (const std::size_t length : {0, 1, 15, 16, 17, 63, 64, 65, 127, 128, 1000, 65536 + 3}) {
        const std::vector<std::uint8_t> pattern(length, 7);
        for (const std::uint32_t state : {0u, 0x50000u, 0xFFFFFFu, 0x8000BFu}) {
            std::vector<std::uint8_t> expected = pattern;
            RandomSource source(state);
            for (auto& byte : expected) {
                byte ^= source.NextByte();
            }
            EXPECT_EQ(ks::advance(state, length), source.state()) << length;
            for (const auto kernel : kernels) {
                std::vector<std::uint8_t> data = pattern;
                EXPECT_EQ(kernel(state, data.data(), length), source.state()) << length;
                EXPECT_EQ(data, expected) << "length " << length << " state " << state;
            }
        }
    }
    EXPECT_EQ(ks::advance(0x123456, 1ull << 24), 0x123456u);
}

// The code of every character, held to the code page's characters as they print, typed in
// order: a swapped pair would make a legacy file locked with such a password unlock as garbage.
// The five codes the code page leaves open stand for C1 controls. Refused, and named: Latin A
// with macron; a C1 control whose code Windows-1252 gives to the euro sign; a CJK character;
// one outside the 16-bit range.
TEST(Charset, EveryCodeMatchesTheCodePageAndOthersAreRefused) {
    const QString printed =
        QString::fromUtf8("€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008dŽ\u008f\u0090‘’“”•–—˜™š›œ\u009džŸ");
    QByteArray all(256, '\0');
    std::iota(all.begin(), all.end(), '\0');
    const QString text =
        QString::fromLatin1(all.first(0x80)) + printed + QString::fromLatin1(all.sliced(0xA0));
    EXPECT_EQ(passwordCodes(text), all);
    EXPECT_EQ(textFor(all), text);
    for (const char* named : {"U+0100", "U+0080", "U+4E2D", "U+1F511"}) {
        const char32_t ch = QByteArray(named + 2).toUInt(nullptr, 16);
        const auto error = errorOf([&] { passwordCodes("key" + QString::fromUcs4(&ch, 1)); });
        ASSERT_TRUE(error) << "accepted " << named;
        EXPECT_EQ(error->kind(), EngineError::Kind::Charset);
        EXPECT_TRUE(error->message().contains(QLatin1String(named))) << named;
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

// Long streams run past the generator's period; the hash covers every keystream byte.
TEST(LockVectors, LongStreams) {
    for (const auto& row : readTable("long.tsv")) {
        QByteArray content(row[1].toLongLong(), '\0');
        RndCryptBuffer(bytes(content), QByteArray::fromHex(row[0]));
        EXPECT_EQ(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex(), row[2])
            << row[0].toStdString();
    }
}

// The seed is a signed 32-bit sum: a password long enough to pass 2^31 - 1 is refused, never
// wrapped, and nothing is transformed.
TEST(PasswordSeed, OverflowIsAnError) {
    QByteArray content("unchanged");
    EXPECT_EQ(failureOf([&] { RndCryptBuffer(bytes(content), QByteArray(20'000'000, '\xFF')); }),
              EngineError::Kind::Overflow);
    EXPECT_EQ(content, "unchanged");
}

} // namespace
