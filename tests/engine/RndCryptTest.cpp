#include "RndCrypt.h"
#include "EngineError.h"
#include "FileFixture.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace kelvane;
using kelvane::test::randomBytes;

namespace {

using RndCryptFile = kelvane::test::FileFixture;

QByteArray inMemory(QByteArray content, const QString& password) {
    RandomSource source;
    RndCryptBuffer(
        {reinterpret_cast<std::uint8_t*>(content.data()), static_cast<std::size_t>(content.size())},
        password.toLatin1(), {}, source);
    return content;
}

// Sizes around the yield interval and the read chunk, where a streaming fault would show.
TEST_F(RndCryptFile, LockThenUnlockRestoresEveryByte) {
    for (const qsizetype size : {0, 1, 65535, 65536, 65537, 4 * 1024 * 1024 - 1, 4 * 1024 * 1024,
                                 4 * 1024 * 1024 + 1, 9 * 1024 * 1024 + 77}) {
        SCOPED_TRACE(size);
        const QByteArray content = randomBytes(size);
        const QString source = write(QStringLiteral("a.bin"), content);
        const QString locked = path(QStringLiteral("a_locked.bin"));
        const QString unlocked = path(QStringLiteral("a_unlocked.bin"));
        EXPECT_EQ(RndCrypt(source, locked, QStringLiteral("pässword")), size);
        EXPECT_EQ(read(locked), inMemory(content, QString::fromLatin1("p\xE4ssword")));
        EXPECT_EQ(RndCrypt(locked, unlocked, QStringLiteral("pässword")), size);
        EXPECT_EQ(read(unlocked), content);
        EXPECT_EQ(read(source), content);
        QFile::remove(locked);
        QFile::remove(unlocked);
        EXPECT_EQ(entries(), QStringList{QStringLiteral("a.bin")});
    }
}

TEST_F(RndCryptFile, ReplacesALongerExistingOutputExactly) {
    const QString source = write(QStringLiteral("s.txt"), "short");
    const QString output = write(QStringLiteral("o.txt"), QByteArray(100000, 'x'));
    RndCrypt(source, output, QStringLiteral("pw"));
    EXPECT_EQ(read(output), inMemory("short", QStringLiteral("pw")));
}

TEST_F(RndCryptFile, OutputKeepsTheSourcePermissions) {
    const QString source = write(QStringLiteral("private.txt"), "secret");
    QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner);
    const QString output = path(QStringLiteral("private_locked.txt"));
    RndCrypt(source, output, QStringLiteral("pw"));
    // Owner, group and other bits (the "user" bits describe whoever runs the test).
    EXPECT_EQ(QFile::permissions(output).toInt() & 0x7077,
              (QFile::ReadOwner | QFile::WriteOwner).toInt());
}

// Refusals: a clear error, the source unchanged, nothing new in the folder.
TEST_F(RndCryptFile, RefusalsLeaveNothingBehind) {
    const QByteArray content = "the source";
    const QString source = write(QStringLiteral("src.txt"), content);
    QFile::link(source, path(QStringLiteral("link.txt")));
    QFile::copy(source, path(QStringLiteral("keep.txt")));
    ASSERT_EQ(::link(source.toLocal8Bit().constData(),
                     path(QStringLiteral("hard.txt")).toLocal8Bit().constData()),
              0);
    const QStringList before = entries();

    struct Case {
        const char* what;
        QString input, output, password;
        EngineError::Kind kind;
    };
    const Case cases[] = {
        {"missing input", path("nothing.txt"), path("out.txt"), "pw", EngineError::Kind::Read},
        {"input is a folder", dir.path(), path("out.txt"), "pw", EngineError::Kind::Read},
        {"missing output folder", source, path("no/such/out.txt"), "pw", EngineError::Kind::Write},
        {"same path", source, source, "pw", EngineError::Kind::SameFile},
        {"same file, other spelling", source, dir.path() + "/./src.txt", "pw",
         EngineError::Kind::SameFile},
        {"output is a link to the source", source, path("link.txt"), "pw",
         EngineError::Kind::SameFile},
        {"output is a hard link of the source", source, path("hard.txt"), "pw",
         EngineError::Kind::SameFile},
        {"password outside the character set", source, path("out.txt"), QStringLiteral("ключ"),
         EngineError::Kind::Charset},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(failureOf([&] { RndCrypt(c.input, c.output, c.password); }), c.kind);
        EXPECT_EQ(read(source), content);
        EXPECT_EQ(entries(), before);
    }
}

TEST_F(RndCryptFile, FailureDuringTheRunKeepsTheOldOutput) {
    const QString source = write(QStringLiteral("big.bin"), randomBytes(300000));
    const QString output = write(QStringLiteral("out.bin"), "old output");
    const QStringList before = entries();
    EXPECT_THROW(RndCrypt(source, output, QStringLiteral("pw"),
                          [](std::uint64_t done, std::uint64_t) {
                              if (done > 100000) {
                                  throw std::runtime_error("stopped");
                              }
                          }),
                 std::runtime_error);
    EXPECT_EQ(read(output), "old output");
    EXPECT_EQ(entries(), before);
}

TEST_F(RndCryptFile, YieldsAfterSeedingAndEvery64KiB) {
    const qsizetype size = 5 * 1024 * 1024 + 123;
    const QString source = write(QStringLiteral("y.bin"), randomBytes(size));
    std::vector<std::uint64_t> done;
    RndCrypt(source, path(QStringLiteral("y_locked.bin")), QStringLiteral("pw"),
             [&](std::uint64_t bytes, std::uint64_t total) {
                 EXPECT_EQ(total, static_cast<std::uint64_t>(size));
                 done.push_back(bytes);
             });
    ASSERT_FALSE(done.empty());
    EXPECT_EQ(done.front(), 0u);
    EXPECT_EQ(done.back(), static_cast<std::uint64_t>(size));
    for (std::size_t i = 1; i < done.size(); ++i) {
        EXPECT_GT(done[i], done[i - 1]);
        EXPECT_LE(done[i] - done[i - 1], kYieldInterval);
    }
}

// A second transform started from a yield is refused; the running one finishes unharmed.
TEST_F(RndCryptFile, SecondTransformDuringARunIsRefused) {
    const QByteArray content = randomBytes(200000);
    const QString source = write(QStringLiteral("r.bin"), content);
    const QString output = path(QStringLiteral("r_locked.bin"));
    int refused = 0;
    RndCrypt(source, output, QStringLiteral("pw"), [&](std::uint64_t, std::uint64_t) {
        try {
            RndCrypt(source, path(QStringLiteral("other.bin")), QStringLiteral("x"));
        } catch (const EngineError& error) {
            refused += error.kind() == EngineError::Kind::Busy;
        }
        QByteArray scratch("abc");
        EXPECT_THROW(RndCryptBuffer({reinterpret_cast<std::uint8_t*>(scratch.data()), 3}, "x"),
                     EngineError);
    });
    EXPECT_GT(refused, 1);
    EXPECT_EQ(read(output), inMemory(content, QStringLiteral("pw")));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("other.bin"))));
}

// The process generator ends where N content draws leave it, whatever path the bytes took.
TEST_F(RndCryptFile, LeavesTheGeneratorAfterTheContentDraws) {
    for (const qsizetype size : {0, 5, 70000, 4 * 1024 * 1024 + 3}) {
        const QString source = write(QStringLiteral("g.bin"), randomBytes(size));
        RndCrypt(source, path(QStringLiteral("g.out")), QStringLiteral("key"));

        RandomSource expected;
        seedContentKeystream("key", expected);
        for (qsizetype i = 0; i < size; ++i) {
            expected.NextValue();
        }
        EXPECT_EQ(processRandomSource().state(), expected.state()) << size;
    }
}

TEST_F(RndCryptFile, LoadFileToString) {
    EXPECT_EQ(LoadFileToString(write(QStringLiteral("e"), QByteArray())), QByteArray());
    const QByteArray content = randomBytes(70001);
    EXPECT_EQ(LoadFileToString(write(QStringLiteral("f"), content)), content);
    EXPECT_EQ(failureOf([&] { LoadFileToString(path(QStringLiteral("none"))); }),
              EngineError::Kind::Read);
}

} // namespace
