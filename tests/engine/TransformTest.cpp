// SPDX-License-Identifier: MIT
#include "engine/FileStream.h"
#include "engine/Keystream.h"
#include "engine/RndCrypt.h"
#include "engine/SteppedTransform.h"
#include "engine/StreamCrypt.h"
#include "tests/support/EngineTest.h"
#include "tests/support/OutputFaults.h"

#include <QCryptographicHash>
#include <QTemporaryDir>

#include <algorithm>
#include <numeric>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/mman.h>
#include <sys/vfs.h>
#include <unistd.h>

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

// The precomputed period against the generator drawn one byte at a time: every state is found on
// the cycle, and XORing from the period gives the generator's bytes and end state for starts
// anywhere on the cycle, runs across the period's end, and more than one whole period. Both byte
// XOR kernels agree at odd offsets and lengths around their word and round sizes.
TEST(Keystream, ThePeriodGivesTheGeneratorsBytes) {
    const std::uint64_t period = ks::kPeriod;
    for (const std::uint32_t state :
         {0u, 1u, 0x50000u, 0xFFFFFFu, 0x8000BFu, ks::advance(0, period - 1)}) {
        const std::uint64_t position = ks::cyclePosition(state);
        EXPECT_LT(position, period);
        EXPECT_EQ(ks::advance(0, position), state) << state;
    }
    const struct {
        const char* what;
        std::uint32_t state;
        std::size_t length;
    } rows[] = {
        {"nothing", 0x123456, 0},
        {"one byte at the cycle's start", 0, 1},
        {"across the period's end", ks::advance(0, period - 100), 300},
        {"the last byte of the period", ks::advance(0, period - 1), 1},
        {"odd state, around a round", 0x8000BF, 129},
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
    const std::vector<std::uint8_t> key = [] {
        std::vector<std::uint8_t> bytes(300);
        std::iota(bytes.begin(), bytes.end(), std::uint8_t{1});
        return bytes;
    }();
    for (const auto kernel : {ks::detail::xorBytes, ks::detail::xorBytesPortable}) {
        for (const std::size_t offset : {0, 1, 7}) {
            for (const std::size_t length : {0, 7, 8, 9, 127, 128, 129, 255}) {
                std::vector<std::uint8_t> data(300, 0xC3);
                kernel(data.data() + offset, key.data() + offset, length);
                for (std::size_t i = 0; i < data.size(); ++i) {
                    const bool inside = i >= offset && i < offset + length;
                    ASSERT_EQ(data[i], inside ? 0xC3 ^ key[i] : 0xC3)
                        << offset << ' ' << length << ' ' << i;
                }
            }
        }
    }
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

// Long streams run past the generator's period, on either side of the length from which the
// precomputed period is used, and across read chunks; the hash covers every keystream byte. In
// memory and through a file.
TEST(LockVectors, LongStreams) {
    QTemporaryDir dir;
    const QString zeros = dir.filePath("zeros"), locked = dir.filePath("locked");
    for (const auto& row : readTable("long.tsv")) {
        SCOPED_TRACE(row[0].toStdString() + " " + row[1].toStdString());
        QByteArray content(row[1].toLongLong(), '\0');
        QFile file(zeros);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();
        RndCryptBuffer(bytes(content), QByteArray::fromHex(row[0]));
        EXPECT_EQ(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex(), row[2]);
        RndCrypt(zeros, locked, textFor(QByteArray::fromHex(row[0])), {}, Replace::Existing);
        EXPECT_EQ(
            QCryptographicHash::hash(LoadFileToString(locked), QCryptographicHash::Sha256).toHex(),
            row[2]);
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

using TransformFile = FileFixture;
// The stepped transform, drawn one value at a time after the seeding.
QByteArray stepped(QByteArray data, const QByteArray& codes, RandomSource& source) {
    seedSteppedKeystream(codes, source);
    for (qsizetype j = 0; j < data.size(); ++j) {
        data[j] = static_cast<char>(data[j] ^ source.NextByte());
        for (int s = 0; s < 2 * static_cast<unsigned char>(codes[j % codes.size()]); ++s) {
            source.NextValue();
        }
    }
    return data;
}

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

// Across read chunks, with a password whose length does not divide them and codes of 0 and 255:
// the bytes of drawing one by one, and the generator left there. From a copy, runs draw on from
// where the process generator stands, so two in a row differ; the copy replaces an earlier one
// and stays behind, and onto its own input, the original survives in it.
TEST_F(TransformFile, SteppedMatchesDrawingOneByOne) {
    const QByteArray codes("\x03\x00\xff", 3), big = randomBytes(4 * kMiB + 5);
    RandomSource source(0xABCDEF), slow(0xABCDEF);
    SteppedTransform(write("in.bin", big), path("out.bin"), textFor(codes), source);
    EXPECT_TRUE(read("out.bin") == stepped(big, codes, slow));
    EXPECT_EQ(source.state(), slow.state());

    const QByteArray content = randomBytes(5000);
    const QString input = write("in.bin", content);
    const QString copy = write("1.txt", QByteArray(9000, 'o'));
    processRandomSource().setState(0x123456);
    slow.setState(0x123456);
    EXPECT_EQ(SteppedTransformFromCopy(input, copy, path("out.bin"), "Kéy"), 5000);
    EXPECT_EQ(read(copy), content);
    EXPECT_EQ(read("out.bin"), stepped(content, "K\xE9y", slow));
    SteppedTransformFromCopy(input, copy, input, "Kéy");
    EXPECT_EQ(read(input), stepped(content, "K\xE9y", slow));
    EXPECT_EQ(read(copy), content);
}

// The last seeding draw rounds halves to even; a code of 0 draws nothing and keeps the seed value.
TEST(SteppedSeeding, RoundsTheLastDrawHalvesToEven) {
    const std::tuple<std::uint32_t, QByteArray, int> cases[] = {
        {0x800000, QByteArray("\x01", 1), 0}, {0x900000, QByteArray("\x01\x00", 2), 1}};
    for (const auto& [lastDraw, codes, seedValue] : cases) {
        RandomSource source(keystream::advance(lastDraw, (1u << 24) - 1)), expected(lastDraw);
        seedSteppedKeystream(codes, source);
        for (qsizetype i = 0; i < codes.size(); ++i) {
            expected.Randomize(seedValue);
        }
        EXPECT_EQ(source.state(), expected.state()) << lastDraw;
    }
}

// Refusals and failures: the right error, the source and an earlier output unchanged, nothing
// new in the folder, no file left open, and no draw made unless the run had started.
TEST_F(TransformFile, FailuresLeaveNothingBehind) {
    const QByteArray content = "the source";
    const QString src = write("src.bin", content);
    const QString old = write("old.bin", "old output");
    const QString out = path("out.bin"), missing = path("none.bin"), copy = path("copy.bin");
    QFile::link(src, path("link.bin"));
    ASSERT_EQ(::link(qPrintable(src), qPrintable(path("hard.bin"))), 0);
    const auto before = state();
    const auto openFiles = [] { return QDir("/proc/self/fd").entryList(QDir::System).size(); };
    const struct {
        const char* what;
        std::function<void()> run;
        Kind kind;
        bool started = false;
    } cases[] = {
        {"missing input", [&] { RndCrypt(missing, out, "pw"); }, Kind::Read},
        {"missing output folder", [&] { RndCrypt(src, path("no/out"), "pw"); }, Kind::Write},
        {"same path", [&] { RndCrypt(src, src, "pw"); }, Kind::SameFile},
        {"link to the source", [&] { RndCrypt(src, path("link.bin"), "pw"); }, Kind::SameFile},
        {"hard link", [&] { RndCrypt(src, path("hard.bin"), "pw"); }, Kind::SameFile},
        {"password outside the set", [&] { RndCrypt(missing, out, "ключ"); }, Kind::Charset},
        {"read fails midway", [&] { RndCrypt("/proc/self/mem", old, "pw", {}, Replace::Existing); },
         Kind::Read, true},
        {"stepped: no password", [&] { SteppedTransform(missing, out, ""); }, Kind::EmptyPassword},
        {"stepped: same path", [&] { SteppedTransform(src, src, "pw"); }, Kind::SameFile},
        {"stepped: read fails midway", [&] { SteppedTransform("/proc/self/mem", old, "pw"); },
         Kind::Read, true},
        {"copy: missing folder", [&] { SteppedTransformFromCopy(src, path("no/1"), out, "pw"); },
         Kind::Write},
        {"copy: onto the input", [&] { SteppedTransformFromCopy(src, src, out, "pw"); },
         Kind::SameFile},
        {"copy: output onto it", [&] { SteppedTransformFromCopy(src, copy, copy, "pw"); },
         Kind::SameFile},
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

class StreamTransform : public FileFixture {
protected:
    void TearDown() override {
        for (const int fd : descriptors) {
            ::close(fd);
        }
    }

    // A descriptor that reads `name`, or writes it anew.
    int open(const QString& name, int flags) {
        descriptors.push_back(::open(qPrintable(path(name)), flags | O_CLOEXEC, 0600));
        return descriptors.back();
    }

    std::vector<int> descriptors;
};

// Sizes around the yield interval and the chunks of the file and the stream routes, largest
// first so that the file route replaces a longer output each time. The file route gives the
// buffer transform's bytes and leaves the process generator where the content draws put it. A
// descriptor (as a pipe is read and written) or a file at either end gives the same bytes and
// generator state. Every route yields after seeding and then every 64 KiB, counting the bytes,
// with the total when it is known; every transform started from a yield is refused as busy.
TEST_F(StreamTransform, GivesTheBytesAndGeneratorStateOfTheFileRoute) {
    for (const qsizetype size : {3 * kMiB + 3, kMiB, 256 * 1024 + 1, 65536, 65535, 1, 0}) {
        const QByteArray content = randomBytes(size);
        const QString source = write("in", content);
        std::uint64_t last = 0, total = 0;
        int yields = 0, refused = 0;
        const YieldStep yield = [&](std::uint64_t done, std::uint64_t shownTotal) {
            EXPECT_TRUE(done - last <= kYieldInterval && (yields++ == 0) == (done == 0));
            std::tie(last, total) = std::tuple(done, shownTotal);
            refused += failureOf([&] { RndCrypt(source, path("other"), "x"); }) == Kind::Busy;
            refused +=
                failureOf([&] { SteppedTransform(source, path("other"), "x"); }) == Kind::Busy;
            QByteArray scratch("abc");
            refused += failureOf([&] { RndCryptBuffer(bytes(scratch), "x"); }) == Kind::Busy;
        };
        EXPECT_EQ(RndCrypt(source, path("route.out"), "pässword", yield, Replace::Existing), size);
        EXPECT_TRUE(last == std::uint64_t(size) && total == last && refused == 3 * yields);
        EXPECT_TRUE(LoadFileToString(path("route.out")) == transformed(content, "pässword"));
        const std::uint32_t expectedState = processRandomSource().state();
        RandomSource seeded;
        seedContentKeystream("p\xE4ssword", seeded);
        EXPECT_EQ(expectedState, keystream::advance(seeded.state(), size));
        for (const int ends : {0, 1, 2}) { // descriptors; a file output; a file input
            SCOPED_TRACE(testing::Message() << size << " bytes, ends " << ends);
            processRandomSource().setState(0x123456);
            StreamInput input = ends == 2 ? StreamInput::file(source)
                                          : StreamInput::descriptor(open("in", O_RDONLY), "in");
            StreamOutput output =
                ends == 1 ? StreamOutput::file(path("out"), Replace::Nothing, 0640)
                          : StreamOutput::descriptor(open("out", O_WRONLY | O_CREAT), "out");
            last = yields = refused = 0;
            EXPECT_EQ(RndCryptStream(input, output, "pässword", yield), size);
            EXPECT_TRUE(last == std::uint64_t(size) && refused == 3 * yields);
            EXPECT_EQ(total, ends == 2 ? last : 0);
            EXPECT_EQ(processRandomSource().state(), expectedState);
            EXPECT_TRUE(read("out") == read("route.out"));
            QFile::remove(path("out"));
        }
    }
}

// How many pages of the first `length` bytes of the file open at `fd` are in the page cache.
static std::ptrdiff_t cachedPages(int fd, std::size_t length) {
    void* mapped = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, 0);
    if (mapped == MAP_FAILED) {
        return -1;
    }
    const auto pageSize = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident(length / pageSize);
    const bool known = ::mincore(mapped, length, resident.data()) == 0;
    ::munmap(mapped, length);
    return known ? std::count_if(resident.begin(), resident.end(),
                                 [](unsigned char page) { return (page & 1) != 0; })
                 : -1;
}

// A stream into a file goes through the page cache on the windowed path whatever path files take
// (its chunks come in any size), and past the window the cache keeps no more of it than the
// window: the first stretch is on disk and dropped from the cache before the file is published.
TEST_F(StreamTransform, AStreamIntoAFileTakesTheWindowedPath) {
    const QByteArray content = randomBytes(41 * kMiB + 5000);
    write("in", content);
    const detail::WritePath before = detail::writePath();
    detail::writePath() = detail::WritePath::Direct;
    {
        OutputFaults faults;
        StreamInput input = StreamInput::descriptor(open("in", O_RDONLY), "in");
        StreamOutput output = StreamOutput::file(path("out"), Replace::Nothing, 0600);
        EXPECT_EQ(RndCryptStream(input, output, "pw"), content.size());
        EXPECT_EQ(faults.directWrites(), 0);
    }
    detail::writePath() = before;
    // Looked at before the file is read back. A file system that keeps files in memory only
    // (tmpfs) cannot drop them from the cache.
    struct statfs system {};
    ASSERT_EQ(::statfs(qPrintable(path("out")), &system), 0);
    if (system.f_type != TMPFS_MAGIC) {
        const std::ptrdiff_t cached = cachedPages(open("out", O_RDONLY), 8 * kMiB);
        EXPECT_TRUE(cached >= 0 && cached < 8 * kMiB / ::sysconf(_SC_PAGESIZE) / 4) << cached;
    }
    EXPECT_TRUE(read("out") == transformed(content, "pw"));
}

// A source that grows fails the run; an output that is the source itself is refused before
// anything is read, and the source is not written. Neither leaves a transform running.
TEST_F(StreamTransform, FailsOnAGrowingSourceAndRefusesAnOutputIntoItself) {
    const QByteArray content = randomBytes(kMiB);
    const QString source = write("source.bin", content);
    StreamInput growing = StreamInput::file(source);
    StreamOutput out = StreamOutput::descriptor(open("out", O_WRONLY | O_CREAT), "out");
    const YieldStep grow = [&](std::uint64_t done, std::uint64_t) {
        QFile file(source);
        if (done == 0 && file.open(QIODevice::Append)) {
            file.write("more");
        }
    };
    EXPECT_EQ(failureOf([&] { RndCryptStream(growing, out, "pw", grow); }), Kind::Read);
    EXPECT_FALSE(TransformGuard::busy());
    write("source.bin", content);
    StreamInput input = StreamInput::file(source);
    StreamOutput itself = StreamOutput::descriptor(open("source.bin", O_WRONLY | O_APPEND), "it");
    EXPECT_EQ(failureOf([&] { RndCryptStream(input, itself, "pw"); }), Kind::SameFile);
    EXPECT_EQ(read("source.bin"), content);
    EXPECT_FALSE(TransformGuard::busy());
}

} // namespace
