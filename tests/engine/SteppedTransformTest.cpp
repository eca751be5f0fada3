#include "SteppedTransform.h"
#include "Charset.h"
#include "Cipher.h"
#include "EngineError.h"
#include "FileFixture.h"
#include "Keystream.h"
#include "TestData.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>

using namespace kelvane;
using kelvane::test::fromHex;
using kelvane::test::randomBytes;
using kelvane::test::readTable;

namespace {

QString textFor(const QByteArray& codes) {
    QString text;
    for (const char code : codes) {
        const char32_t ch = charForCode(static_cast<unsigned char>(code));
        text += QString::fromUcs4(&ch, 1);
    }
    return text;
}

// The transform drawn one value at a time, as the legacy routine does it.
QByteArray reference(QByteArray data, const QByteArray& codes, RandomSource& source) {
    auto code = [&](qsizetype i) { return static_cast<unsigned char>(codes[i]); };
    int seedValue = 0;
    for (qsizetype i = 0; i < codes.size(); ++i) {
        for (int r = 0; r < code(i); ++r) {
            seedValue = static_cast<int>(std::nearbyint(source.NextValue()));
        }
        source.Randomize(seedValue);
    }
    qsizetype p = 0;
    for (char& byte : data) {
        byte ^= static_cast<char>(static_cast<int>(std::floor(source.NextValue() * 256.0f)));
        p = p % codes.size() + 1;
        for (int s = 0; s < 2 * code(p - 1); ++s) {
            source.NextValue();
        }
    }
    return data;
}

int openHandles() {
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::System).size();
}

using SteppedFile = kelvane::test::FileFixture;

TEST_F(SteppedFile, KnownAnswersAndTheirUndoFromAFreshGenerator) {
    const auto rows = readTable(QStringLiteral("stepped.tsv"));
    ASSERT_GE(rows.size(), 10u);
    for (const QStringList& row : rows) {
        ASSERT_EQ(row.size(), 3);
        SCOPED_TRACE("password " + row[0].toStdString());
        const QByteArray codes = fromHex(row[0]);
        const QByteArray content = fromHex(row[1]);
        const QString input = write(QStringLiteral("in.bin"), content);
        // An earlier, longer output must not keep its tail.
        const QString output = write(QStringLiteral("out.bin"), QByteArray(300, 'x'));
        const QString back = path(QStringLiteral("back.bin"));

        RandomSource fresh;
        EXPECT_EQ(SteppedTransform(input, output, textFor(codes), fresh), content.size());
        EXPECT_EQ(read(output).toHex(), row[2].toLatin1());
        RandomSource again;
        SteppedTransform(output, back, textFor(codes), again);
        EXPECT_EQ(read(back), content);
        EXPECT_EQ(read(input), content);

        RandomSource slow;
        EXPECT_EQ(reference(content, codes, slow).toHex(), row[2].toLatin1());
    }
}

// Lengths around the read chunk, passwords whose length does not divide it, codes of 0 and 255.
TEST_F(SteppedFile, MatchesDrawingOneByOneAndLeavesTheGeneratorThere) {
    struct Case {
        QByteArray codes;
        qsizetype size;
    };
    const qsizetype chunk = 4 * 1024 * 1024;
    const Case cases[] = {{QByteArray("\x03\x00\x01", 3), 0},
                          {QByteArray("\x03\x00\x01", 3), chunk + 5},
                          {QByteArray("\x00\x02", 2), chunk},
                          {QByteArray("\xff\x00\x80\x41", 4), 1},
                          {QByteArray("\xff\x00\x80\x41", 4), 3001}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.codes.toHex().toStdString() + " size " + std::to_string(c.size));
        const QByteArray content = randomBytes(c.size);
        const QString input = write(QStringLiteral("in.bin"), content);
        const QString output = path(QStringLiteral("out.bin"));

        RandomSource source(0xABCDEF);
        SteppedTransform(input, output, textFor(c.codes), source);
        RandomSource slow(0xABCDEF);
        EXPECT_TRUE(read(output) == reference(content, c.codes, slow));
        EXPECT_EQ(source.state(), slow.state());
    }
}

TEST(SteppedSeeding, RoundsTheLastDrawHalvesToEven) {
    struct Case {
        const char* what;
        std::uint32_t lastDraw; // the generator state that the last seeding draw leaves
        QByteArray codes;
        int seedValue;
    };
    const Case cases[] = {
        {"exactly one half rounds to 0", 0x800000, QByteArray("\x01", 1), 0},
        {"a code of 0 keeps the previous seed value", 0x900000, QByteArray("\x01\x00", 2), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RandomSource source(keystream::advance(c.lastDraw, (1u << 24) - 1));
        seedSteppedKeystream(c.codes, source);
        RandomSource expected(c.lastDraw);
        for (qsizetype i = 0; i < c.codes.size(); ++i) {
            expected.Randomize(c.seedValue);
        }
        EXPECT_EQ(source.state(), expected.state());
    }
}

TEST_F(SteppedFile, DrawsFromTheProcessGeneratorWhereItStands) {
    const QByteArray content = randomBytes(64);
    const QString input = write(QStringLiteral("in.bin"), content);
    processRandomSource().setState(0x123456);
    SteppedTransform(input, path(QStringLiteral("first.bin")), QStringLiteral("key"));
    SteppedTransform(input, path(QStringLiteral("second.bin")), QStringLiteral("key"));

    RandomSource slow(0x123456);
    EXPECT_EQ(read(path(QStringLiteral("first.bin"))), reference(content, "key", slow));
    EXPECT_EQ(read(path(QStringLiteral("second.bin"))), reference(content, "key", slow));
    EXPECT_NE(read(path(QStringLiteral("first.bin"))), read(path(QStringLiteral("second.bin"))));
}

// Refusals: a clear error, the source unchanged, nothing new, no handle left, no draw made.
TEST_F(SteppedFile, RefusalsLeaveNothingBehind) {
    const QByteArray content = "the source";
    const QString source = write(QStringLiteral("src.txt"), content);
    const QString missing = path(QStringLiteral("nothing.txt"));
    const QString out = path(QStringLiteral("out.txt"));
    QFile::link(source, path(QStringLiteral("link.txt")));
    const QStringList before = entries();

    struct Case {
        const char* what;
        QString input, output, password;
        EngineError::Kind kind;
        bool anotherRunning = false;
    };
    const Case cases[] = {
        {"missing input", missing, out, "pw", EngineError::Kind::Read},
        {"input is a folder", dir.path(), out, "pw", EngineError::Kind::Read},
        {"missing output folder", source, path("no/such/out.txt"), "pw", EngineError::Kind::Write},
        {"empty password, before the input is looked at", missing, out, "",
         EngineError::Kind::EmptyPassword},
        {"password outside the character set", missing, out, QStringLiteral("ключ"),
         EngineError::Kind::Charset},
        {"same path", source, source, "pw", EngineError::Kind::SameFile},
        {"output is a link to the source", source, path("link.txt"), "pw",
         EngineError::Kind::SameFile},
        {"another transform is running", source, out, "pw", EngineError::Kind::Busy, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const int handles = openHandles();
        RandomSource generator(0x777777);
        std::optional<TransformGuard> running;
        if (c.anotherRunning) {
            running.emplace();
        }
        EXPECT_EQ(failureOf([&] { SteppedTransform(c.input, c.output, c.password, generator); }),
                  c.kind);
        running.reset();
        EXPECT_EQ(read(source), content);
        EXPECT_EQ(entries(), before);
        EXPECT_EQ(generator.state(), 0x777777u);
        EXPECT_EQ(openHandles(), handles);
    }
}

#ifdef Q_OS_LINUX
// Reading this file fails after both files are open.
TEST_F(SteppedFile, FailureDuringTheRunKeepsTheOldOutput) {
    const QString output = write(QStringLiteral("out.bin"), "old output");
    const QStringList before = entries();
    const int handles = openHandles();
    EXPECT_EQ(failureOf([&] {
                  SteppedTransform(QStringLiteral("/proc/self/mem"), output, QStringLiteral("pw"));
              }),
              EngineError::Kind::Read);
    EXPECT_EQ(read(output), "old output");
    EXPECT_EQ(entries(), before);
    EXPECT_EQ(openHandles(), handles);
}
#endif

// The copy's folder missing, or the copy clashing with a path, creates nothing; a success
// replaces an earlier copy and leaves the new one behind.
TEST_F(SteppedFile, FromCopy) {
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("tmp")));
    const QByteArray content = randomBytes(5000);
    const QString input = write(QStringLiteral("in.bin"), content);
    const QString copy = path(QStringLiteral("tmp/1.txt"));
    const QString out = path(QStringLiteral("out.bin"));
    const QStringList before = entries();

    struct Case {
        const char* what;
        QString input, copy, output;
        EngineError::Kind kind;
    };
    const Case cases[] = {
        {"missing copy folder", input, path("none/1.txt"), out, EngineError::Kind::Write},
        {"missing input", path("gone.bin"), copy, out, EngineError::Kind::Read},
        {"copy onto the input", input, input, out, EngineError::Kind::SameFile},
        {"output onto the copy", input, copy, copy, EngineError::Kind::SameFile},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RandomSource generator(0x777777);
        EXPECT_EQ(failureOf([&] {
                      SteppedTransformFromCopy(c.input, c.copy, c.output, "pw", generator);
                  }),
                  c.kind);
        EXPECT_EQ(entries(), before);
        EXPECT_FALSE(QFile::exists(copy));
        EXPECT_EQ(read(input), content);
        EXPECT_EQ(generator.state(), 0x777777u);
    }

    write(QStringLiteral("tmp/1.txt"), QByteArray(9000, 'o'));
    RandomSource source, slow;
    EXPECT_EQ(SteppedTransformFromCopy(input, copy, out, QStringLiteral("Kéy"), source), 5000);
    EXPECT_EQ(read(copy), content);
    EXPECT_EQ(read(input), content);
    EXPECT_EQ(read(out), reference(content, "K\xE9y", slow));
    EXPECT_EQ(source.state(), slow.state());

    // Onto its own input: the original survives in the copy.
    RandomSource again, slowAgain;
    SteppedTransformFromCopy(input, copy, input, QStringLiteral("Kéy"), again);
    EXPECT_EQ(read(input), reference(content, "K\xE9y", slowAgain));
    EXPECT_EQ(read(copy), content);
}

} // namespace
