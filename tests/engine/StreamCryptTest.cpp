#include "StreamCrypt.h"
#include "EngineTest.h"
#include "RndCrypt.h"

#include <csignal>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

using namespace kelvane;
using namespace kelvane::test;
using Kind = kelvane::EngineError::Kind;

namespace {

constexpr int kMiB = 1024 * 1024;

// A pipe that a thread fills with `content`; the transform reads fd().
class Feed {
public:
    explicit Feed(QByteArray content) {
        EXPECT_EQ(::pipe(m_ends), 0);
        m_thread = std::thread([this, content = std::move(content)] {
            const char* data = content.constData();
            for (qsizetype left = content.size(); left > 0;) {
                const ssize_t wrote = ::write(m_ends[1], data, static_cast<std::size_t>(left));
                if (wrote <= 0) {
                    break;
                }
                data += wrote;
                left -= wrote;
            }
            ::close(m_ends[1]);
        });
    }
    ~Feed() {
        ::close(m_ends[0]); // a writer still waiting gets EPIPE
        m_thread.join();
    }
    int fd() const { return m_ends[0]; }

private:
    int m_ends[2] = {-1, -1};
    std::thread m_thread;
};

// A pipe that a thread empties; the transform writes fd().
class Drain {
public:
    Drain() {
        EXPECT_EQ(::pipe(m_ends), 0);
        m_thread = std::thread([this] {
            char buffer[65536];
            for (ssize_t got; (got = ::read(m_ends[0], buffer, sizeof buffer)) > 0;) {
                m_received.append(buffer, got);
            }
            ::close(m_ends[0]);
        });
    }
    ~Drain() { received(); }
    int fd() const { return m_ends[1]; }
    // Everything written, once the writing end is closed.
    QByteArray received() {
        if (m_thread.joinable()) {
            ::close(m_ends[1]);
            m_thread.join();
        }
        return m_received;
    }

private:
    int m_ends[2] = {-1, -1};
    QByteArray m_received;
    std::thread m_thread;
};

class StreamTransform : public FileFixture {
protected:
    void SetUp() override { std::signal(SIGPIPE, SIG_IGN); }
    void TearDown() override { std::signal(SIGPIPE, SIG_DFL); }

    // The file route's bytes, and the generator state it leaves.
    std::pair<QByteArray, std::uint32_t> fileRoute(const QByteArray& content) {
        const QString source = write("route.in", content);
        RndCrypt(source, path("route.out"), "pässword", {}, Replace::Existing);
        return {read(path("route.out")), processRandomSource().state()};
    }
};

// Every pairing of a pipe or a file with a pipe, at sizes around the yield interval and the
// chunk: the bytes and the generator's end state are the file route's, and the yields count the
// bytes with the total when it is known.
TEST_F(StreamTransform, GivesTheBytesAndGeneratorStateOfTheFileRoute) {
    enum class Ends { PipeToPipe, PipeToFile, FileToPipe };
    for (const qsizetype size : {3 * kMiB + 3, 256 * 1024 + 1, 65536, 65535, 1, 0}) {
        const QByteArray content = randomBytes(size);
        const auto [expected, expectedState] = fileRoute(content);
        for (const Ends ends : {Ends::PipeToPipe, Ends::PipeToFile, Ends::FileToPipe}) {
            SCOPED_TRACE(testing::Message() << size << " bytes, ends " << int(ends));
            QFile::remove(path("out"));
            processRandomSource().setState(0x123456);
            Feed feed(content);
            Drain drain;
            StreamInput input = ends == Ends::FileToPipe
                                    ? StreamInput::file(write("in", content))
                                    : StreamInput::descriptor(feed.fd(), "the pipe");
            StreamOutput output = ends == Ends::PipeToFile
                                      ? StreamOutput::file(path("out"), Replace::Nothing, 0640)
                                      : StreamOutput::descriptor(drain.fd(), "the other pipe");
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
            EXPECT_EQ(shownTotal, ends == Ends::FileToPipe ? static_cast<std::uint64_t>(size) : 0);
            EXPECT_EQ(processRandomSource().state(), expectedState);
            EXPECT_EQ(ends == Ends::PipeToFile ? read(path("out")) : drain.received(), expected);
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
             Drain drain;
             const QString growing = write("growing.bin", content);
             StreamInput input = StreamInput::file(growing);
             StreamOutput output = StreamOutput::descriptor(drain.fd(), "the pipe");
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
             const int fd = ::open(qPrintable(source), O_WRONLY | O_APPEND | O_CLOEXEC);
             StreamInput input = StreamInput::file(source);
             StreamOutput output = StreamOutput::descriptor(fd, "standard output");
             const auto close = qScopeGuard([fd] { ::close(fd); });
             RndCryptStream(input, output, "pw");
         }},
        {"a reader that has gone", Kind::Write,
         [&] {
             int ends[2];
             ASSERT_EQ(::pipe(ends), 0);
             ::close(ends[0]);
             StreamInput input = StreamInput::file(source);
             StreamOutput output = StreamOutput::descriptor(ends[1], "standard output");
             const auto close = qScopeGuard([&] { ::close(ends[1]); });
             RndCryptStream(input, output, "pw");
         }},
        {"a file that appears at the output", Kind::OutputExists,
         [&] {
             Feed feed(content);
             StreamInput input = StreamInput::descriptor(feed.fd(), "standard input");
             StreamOutput output = StreamOutput::file(path("out"), Replace::Nothing, 0600);
             write("out", "someone else's");
             RndCryptStream(input, output, "pw");
         }},
        {"a password outside the character set", Kind::Charset,
         [&] {
             Feed feed(content);
             StreamInput input = StreamInput::descriptor(feed.fd(), "standard input");
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
