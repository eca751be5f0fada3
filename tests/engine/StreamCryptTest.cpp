#include "StreamCrypt.h"
#include "EngineTest.h"
#include "Keystream.h"
#include "RndCrypt.h"

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {

class StreamTransform : public FileFixture {
protected:
    void SetUp() override { std::signal(SIGPIPE, SIG_IGN); }
    void TearDown() override {
        std::signal(SIGPIPE, SIG_DFL);
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
// generator state, and the yields count the bytes, with the total when it is known.
TEST_F(StreamTransform, GivesTheBytesAndGeneratorStateOfTheFileRoute) {
    for (const qsizetype size : {3 * kMiB + 3, kMiB, 256 * 1024 + 1, 65536, 65535, 1, 0}) {
        const QByteArray content = randomBytes(size);
        const QString source = write("in", content);
        EXPECT_EQ(RndCrypt(source, path("route.out"), "pässword", {}, Replace::Existing), size);
        EXPECT_TRUE(LoadFileToString(path("route.out")) == transformed(content, "pässword"));
        const std::uint32_t expectedState = processRandomSource().state();
        RandomSource seeded;
        seedContentKeystream("p\xE4ssword", seeded);
        EXPECT_EQ(expectedState, keystream::advance(seeded.state(), size));
        EXPECT_EQ(entries(), QStringList({"in", "route.out"}));
        for (const int ends : {0, 1, 2}) { // descriptors; a file output; a file input
            SCOPED_TRACE(testing::Message() << size << " bytes, ends " << ends);
            processRandomSource().setState(0x123456);
            StreamInput input = ends == 2 ? StreamInput::file(source)
                                          : StreamInput::descriptor(open("in", O_RDONLY), "in");
            StreamOutput output =
                ends == 1 ? StreamOutput::file(path("out"), Replace::Nothing, 0640)
                          : StreamOutput::descriptor(open("out", O_WRONLY | O_CREAT), "out");
            std::uint64_t last = 0;
            std::uint64_t shownTotal = 1;
            EXPECT_EQ(RndCryptStream(input, output, "pässword",
                                     [&](std::uint64_t done, std::uint64_t total) {
                                         EXPECT_LE(done - last, kYieldInterval);
                                         last = done;
                                         shownTotal = total;
                                     }),
                      size);
            EXPECT_EQ(last, static_cast<std::uint64_t>(size));
            EXPECT_EQ(shownTotal, ends == 2 ? static_cast<std::uint64_t>(size) : 0);
            EXPECT_EQ(processRandomSource().state(), expectedState);
            EXPECT_TRUE(read("out") == read("route.out"));
            QFile::remove(path("out"));
        }
    }
}

// A source that grows, an output that is the source itself, a reader that has gone: each run
// fails with its kind, and the source is never written.
TEST_F(StreamTransform, FailsOnAGrowingSourceAnOutputIntoItselfOrAGoneReader) {
    const QByteArray content = randomBytes(kMiB);
    const QString source = write("source.bin", content);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    ::close(pipeEnds[0]);
    descriptors.push_back(pipeEnds[1]);
    const struct {
        const char* what;
        QString input;
        int output;
        Kind kind;
    } rows[] = {
        {"a source that grows", write("growing.bin", content), open("out", O_WRONLY | O_CREAT),
         Kind::Read},
        {"the source appended to itself", source, open("source.bin", O_WRONLY | O_APPEND),
         Kind::SameFile},
        {"a reader that has gone", source, pipeEnds[1], Kind::Write},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        StreamInput input = StreamInput::file(row.input);
        StreamOutput output = StreamOutput::descriptor(row.output, "the output");
        const YieldStep grow = [&](std::uint64_t done, std::uint64_t) {
            QFile file(row.input);
            if (done == 0 && row.kind == Kind::Read && file.open(QIODevice::Append)) {
                file.write("more");
            }
        };
        EXPECT_EQ(failureOf([&] { RndCryptStream(input, output, "pw", grow); }), row.kind);
        EXPECT_EQ(read(source), content);
        EXPECT_FALSE(TransformGuard::busy());
    }
}

} // namespace
