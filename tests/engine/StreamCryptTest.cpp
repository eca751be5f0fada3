#include "StreamCrypt.h"
#include "EngineTest.h"
#include "RndCrypt.h"

#include <csignal>

#include <fcntl.h>
#include <unistd.h>

using namespace kelvane;
using namespace kelvane::test;
using Kind = kelvane::EngineError::Kind;

namespace {

constexpr int kMiB = 1024 * 1024;

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

    // The file route's bytes, and the generator state it leaves.
    std::pair<QByteArray, std::uint32_t> fileRoute(const QByteArray& content) {
        const QString source = write("route.in", content);
        RndCrypt(source, path("route.out"), "pässword", {}, Replace::Existing);
        return {read(path("route.out")), processRandomSource().state()};
    }

    std::vector<int> descriptors;
};

// A descriptor (as a pipe is read and written) or a file at either end, at sizes around the
// yield interval and the chunk: the bytes and the generator's end state are the file route's,
// and the yields count the bytes, with the total when it is known.
TEST_F(StreamTransform, GivesTheBytesAndGeneratorStateOfTheFileRoute) {
    enum class Ends { DescriptorToDescriptor, DescriptorToFile, FileToDescriptor };
    for (const qsizetype size : {3 * kMiB + 3, 256 * 1024 + 1, 65536, 65535, 1, 0}) {
        const QByteArray content = randomBytes(size);
        const auto [expected, expectedState] = fileRoute(content);
        for (const Ends ends :
             {Ends::DescriptorToDescriptor, Ends::DescriptorToFile, Ends::FileToDescriptor}) {
            SCOPED_TRACE(testing::Message() << size << " bytes, ends " << int(ends));
            QFile::remove(path("out"));
            processRandomSource().setState(0x123456);
            write("in", content);
            StreamInput input = ends == Ends::FileToDescriptor
                                    ? StreamInput::file(path("in"))
                                    : StreamInput::descriptor(open("in", O_RDONLY), "the input");
            StreamOutput output =
                ends == Ends::DescriptorToFile
                    ? StreamOutput::file(path("out"), Replace::Nothing, 0640)
                    : StreamOutput::descriptor(open("out", O_WRONLY | O_CREAT), "the output");
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
            EXPECT_EQ(shownTotal,
                      ends == Ends::FileToDescriptor ? static_cast<std::uint64_t>(size) : 0);
            EXPECT_EQ(processRandomSource().state(), expectedState);
            EXPECT_EQ(read(path("out")), expected);
        }
    }
}

// Each run fails with its kind, and a file output is not published.
TEST_F(StreamTransform, FailsWithoutPublishingAndNeverWritesAFileIntoItself) {
    const QByteArray content = randomBytes(kMiB);
    const QString source = write("source.bin", content);
    const struct {
        const char* what;
        Kind kind;
        std::function<void()> run;
    } rows[] = {
        {"a source that grows", Kind::Read,
         [&] {
             const QString growing = write("growing.bin", content);
             StreamInput input = StreamInput::file(growing);
             StreamOutput output =
                 StreamOutput::descriptor(open("grown", O_WRONLY | O_CREAT), "the output");
             bool grown = false;
             RndCryptStream(input, output, "pw", [&](std::uint64_t, std::uint64_t) {
                 if (!std::exchange(grown, true)) {
                     QFile file(growing);
                     EXPECT_TRUE(file.open(QIODevice::Append));
                     file.write("more");
                 }
             });
         }},
        {"the source appended to itself", Kind::SameFile,
         [&] {
             StreamInput input = StreamInput::file(source);
             StreamOutput output = StreamOutput::descriptor(open("source.bin", O_WRONLY | O_APPEND),
                                                            "standard output");
             RndCryptStream(input, output, "pw");
         }},
        {"a reader that has gone", Kind::Write,
         [&] {
             int ends[2];
             ASSERT_EQ(::pipe(ends), 0);
             ::close(ends[0]);
             descriptors.push_back(ends[1]);
             StreamInput input = StreamInput::file(source);
             StreamOutput output = StreamOutput::descriptor(ends[1], "standard output");
             RndCryptStream(input, output, "pw");
         }},
        {"a file that appears at the output", Kind::OutputExists,
         [&] {
             StreamInput input =
                 StreamInput::descriptor(open("source.bin", O_RDONLY), "standard input");
             StreamOutput output = StreamOutput::file(path("out"), Replace::Nothing, 0600);
             write("out", "someone else's");
             RndCryptStream(input, output, "pw");
         }},
        {"a password outside the character set", Kind::Charset,
         [&] {
             StreamInput input =
                 StreamInput::descriptor(open("source.bin", O_RDONLY), "standard input");
             StreamOutput output = StreamOutput::file(path("never"), Replace::Nothing, 0600);
             RndCryptStream(input, output, "pw\u03a9");
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        QFile::remove(path("out"));
        EXPECT_EQ(failureOf(row.run), row.kind);
        EXPECT_EQ(read(source), content);
        EXPECT_FALSE(QFile::exists(path("never")));
        EXPECT_TRUE(!QFile::exists(path("out")) || read(path("out")) == "someone else's");
        EXPECT_FALSE(TransformGuard::busy());
    }
}

} // namespace
