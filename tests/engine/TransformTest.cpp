// SPDX-License-Identifier: MIT
#include "engine/Charset.h"
#include "engine/Keystream.h"
#include "engine/RndCrypt.h"
#include "engine/SteppedTransform.h"
#include "tests/support/EngineTest.h"

#include <QCryptographicHash>

#include <vector>

#include <iconv.h>

using namespace kelvane;
using namespace kelvane::test;
namespace ks = kelvane::keystream;

namespace {

// The password text whose codes are `codes`.
inline QString textFor(const QByteArray& codes) {
    std::u32string text;
    for (const char code : codes) {
        text += charForCode(static_cast<unsigned char>(code));
    }
    return QString::fromStdU32String(text);
}

// The rows of a tab-separated file in the test data folder, comment lines left out. A missing
// or empty file fails the test.
inline std::vector<QList<QByteArray>> readTable(const char* name) {
    QFile file(QStringLiteral(KELVANE_TEST_DATA "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text)) << name;
    std::vector<QList<QByteArray>> rows;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (!line.isEmpty() && !line.startsWith('#')) {
            rows.push_back(line.split('\t'));
        }
    }
    EXPECT_FALSE(rows.empty()) << name;
    return rows;
}

// The precomputed period against the generator drawn one byte at a time: XORing from the period
// gives the generator's bytes and end state for starts anywhere on the cycle, runs across the
// period's end, and more than one whole period, at lengths around the XOR kernels' round sizes.
TEST(Keystream, ThePeriodGivesTheGeneratorsBytes) {
    const struct {
        const char* what;
        std::uint32_t state;
        std::size_t length;
    } rows[] = {
        {"nothing", 0x123456, 0},
        {"one byte at the cycle's start", 0, 1},
        {"across the period's end", ks::advance(0, ks::kPeriod - 100), 300},
        {"the last byte of the period", ks::advance(0, ks::kPeriod - 1), 1},
        {"odd state, around a round", 0x8000BF, 129},
        {"the highest state", 0xFFFFFF, 255},
        {"more than two periods", 0x50000, 2 * ks::kPeriod + 65536 + 7},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<std::uint8_t> expected(row.length, 0x5A);
        std::vector<std::uint8_t> data = expected;
        const std::uint32_t end = ks::detail::xorScalar(row.state, expected.data(), row.length);
        EXPECT_EQ(ks::xorFromPeriod(row.state, data.data(), row.length), end);
        EXPECT_TRUE(data == expected);
    }
}

// The code of every character against the system's own Windows-1252 table: a swapped pair would
// make a legacy file locked with such a password unlock as garbage. The five codes the code page
// leaves open stand for the C1 control of the same value.
TEST(Charset, EveryCodeMatchesTheCodePageAndOthersAreRefused) {
    const iconv_t codePage = ::iconv_open("UTF-32LE", "WINDOWS-1252");
    ASSERT_NE(codePage, iconv_t(-1));
    for (int code = 0; code < 256; ++code) {
        char byte = static_cast<char>(code), *in = &byte;
        char32_t decoded = 0;
        char* out = reinterpret_cast<char*>(&decoded);
        std::size_t inLeft = 1, outLeft = sizeof decoded;
        const bool open = ::iconv(codePage, &in, &inLeft, &out, &outLeft) == std::size_t(-1);
        const char32_t ch = open ? char32_t(code) : decoded;
        EXPECT_EQ(charForCode(static_cast<unsigned char>(code)), ch) << code;
        EXPECT_EQ(passwordCodes(QString::fromUcs4(&ch, 1)), QByteArray(1, byte)) << code;
    }
    ::iconv_close(codePage);
    // Refused: a C1 control whose code the code page gives to the euro sign, and a character
    // outside the 16-bit range. (The message that names it is the command-line tool's test.)
    for (const char32_t refused : {U'\u0080', U'\U0001F511'}) {
        EXPECT_EQ(failureOf([&] { passwordCodes(QString::fromUcs4(&refused, 1)); }), Kind::Charset);
    }
}

using LockVectors = FileFixture;
TEST_F(LockVectors, EveryRow) {
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

// Long streams run past the generator's period, on either side of the length from which the
// precomputed period is used, and across read chunks; the hash covers every keystream byte. In
// memory and through a file.
TEST_F(LockVectors, LongStreams) {
    for (const auto& row : readTable("long.tsv")) {
        SCOPED_TRACE(row[0].toStdString() + " " + row[1].toStdString());
        const QString zeros = write("zeros", QByteArray(row[1].toLongLong(), '\0'));
        const QString password = textFor(QByteArray::fromHex(row[0]));
        RndCrypt(zeros, path("locked"), password, {}, Replace::Existing);
        for (const QByteArray& locked : {transformed(read("zeros"), password), read("locked")}) {
            EXPECT_EQ(QCryptographicHash::hash(locked, QCryptographicHash::Sha256).toHex(), row[2]);
        }
    }
}

using TransformFile = FileFixture;
TEST_F(TransformFile, SteppedKnownAnswersAndTheirUndoFromAFreshGenerator) {
    for (const auto& row : readTable("stepped.tsv")) {
        SCOPED_TRACE("password " + row[0].toStdString());
        const QString password = textFor(QByteArray::fromHex(row[0]));
        const QString input = write("in.bin", QByteArray::fromHex(row[1]));
        // An earlier, longer output must not keep its tail.
        const QString output = write("out.bin", QByteArray(300, 'x'));
        RandomSource fresh, again;
        EXPECT_EQ(SteppedTransform(input, output, password, fresh), row[1].size() / 2);
        EXPECT_EQ(read(output).toHex(), row[2]);
        SteppedTransform(output, path("back.bin"), password, again);
        EXPECT_EQ(read("back.bin").toHex(), row[1]);
    }
}

// Refusals and failures: the right error, the source and an earlier output unchanged, nothing
// new in the folder, no file left open, and no draw made unless the run had started. (A missing
// source or folder, a wrong password and the plain same path are the command-line tool's.)
TEST_F(TransformFile, FailuresLeaveNothingBehind) {
    const QString src = write("src.bin", "the source");
    const QString old = write("old.bin", "old output");
    const QString out = path("out.bin"), missing = path("none.bin"), copy = path("copy.bin");
    QFile::link(src, path("link.bin"));
    ASSERT_EQ(::link(qPrintable(src), qPrintable(path("hard.bin"))), 0);
    const auto before = state();
    const auto openFiles = [] { return QDir("/proc/self/fd").entryList(QDir::System).size(); };
    using enum EngineError::Kind;
    const struct {
        const char* what;
        std::function<void()> run;
        Kind kind;
        bool started = false;
    } cases[] = {
        // clang-format off
        {"link to the source", [&] { RndCrypt(src, path("link.bin"), "pw"); }, SameFile},
        {"hard link", [&] { RndCrypt(src, path("hard.bin"), "pw"); }, SameFile},
        {"read fails midway", [&] { RndCrypt("/proc/self/mem", old, "pw", {}, Replace::Existing); }, Read, true},
        {"stepped: no password", [&] { SteppedTransform(missing, out, ""); }, EmptyPassword},
        {"copy: missing folder", [&] { SteppedTransformFromCopy(src, path("no/1"), out, "pw"); }, Write},
        {"copy: onto the input", [&] { SteppedTransformFromCopy(src, src, out, "pw"); }, SameFile},
        {"copy: output onto it", [&] { SteppedTransformFromCopy(src, copy, copy, "pw"); }, SameFile},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto files = openFiles();
        processRandomSource().setState(0x777777);
        EXPECT_EQ(failureOf(c.run), c.kind);
        EXPECT_EQ(state(), before);
        EXPECT_EQ(openFiles(), files);
        EXPECT_TRUE(c.started || processRandomSource().state() == 0x777777u);
    }
}

// Sizes around the yield interval and the read chunks: the buffer transform's bytes, and the
// process generator left where the content draws put it. The run yields after seeding and then
// every 64 KiB, counting the bytes, with the total; every transform started from a yield is
// refused as busy. (The stream routes' bytes are the command-line tool's tests.)
TEST_F(TransformFile, GivesTheBytesAndGeneratorStateOfTheBufferTransform) {
    for (const qsizetype size : {3 * kMiB + 3, kMiB, 256 * 1024 + 1, 65536, 65535, 1, 0}) {
        SCOPED_TRACE(size);
        const QString source = write("in", randomBytes(size));
        std::uint64_t last = 0, total = 0;
        int yields = 0, busy = 0;
        const YieldStep yield = [&](std::uint64_t done, std::uint64_t shownTotal) {
            EXPECT_TRUE(done - last <= kYieldInterval && (yields++ == 0) == (done == 0));
            std::tie(last, total) = std::tuple(done, shownTotal);
            busy += failureOf([&] { RndCrypt(source, path("other"), "x"); }) == Kind::Busy;
            busy += failureOf([&] { SteppedTransform(source, path("other"), "x"); }) == Kind::Busy;
            busy += failureOf([] { transformed("abc", "x"); }) == Kind::Busy;
        };
        processRandomSource().setState(0x123456);
        EXPECT_EQ(RndCrypt(source, path("out"), "p\u00e4ssword", yield, Replace::Existing), size);
        EXPECT_TRUE(last == std::uint64_t(size) && total == last && busy == 3 * yields);
        EXPECT_TRUE(read("out") == transformed(read("in"), "p\u00e4ssword"));
        RandomSource seeded;
        seedContentKeystream("p\xE4ssword", seeded);
        EXPECT_EQ(processRandomSource().state(), keystream::advance(seeded.state(), size));
    }
}

} // namespace
