// SPDX-License-Identifier: MIT
// Names, descriptors and signals as the system gives them.
#include "engine/AtomicOutput.h"
#include "engine/DescriptorPath.h"
#include "engine/FileName.h"
#include "tests/support/EngineTest.h"
#include "tests/support/OutputFaults.h"

#include <csignal>
#include <cstring>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace kelvane::test {
namespace {

// Every name the system can give comes back byte for byte; only valid UTF-8 counts as text,
// and the bytes that are not show as one replacement mark each.
TEST(FileName, EveryByteNameComesBackExactly) {
    const struct Row {
        const char* name;
        QByteArray bytes;
        int marks; // replacement marks when shown; a name without any is text
    } rows[] = {
        {"four byte utf8", "caf\xc3\xa9 \xf0\x9f\x93\x84.txt", 0},
        {"windows-1252 byte", "caf\xe9.txt", 1},
        {"cut sequence at the end", "caf\xc3", 1},
        {"overlong slash", "a\xc0\xaf.b", 2},
        {"encoded surrogate", "a\xed\xa0\x80", 3},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", 4},
        {"stray continuation then text", "\x80\xc3\xa9", 1},
        {"bytes spelling a kept byte", "\xed\xb3\xa9", 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString name = decodeFileName(row.bytes);
        EXPECT_EQ(encodeFileName(name), row.bytes);
        EXPECT_EQ(isTextName(name), row.marks == 0);
        EXPECT_EQ(shownName(name).count(QChar::ReplacementCharacter), row.marks);
    }
}

// /dev/stdout and its kind name a stream that is open already, never a place for a file: the
// engine refuses them even where it may replace, and the link stays.
TEST(DescriptorPath, NamesOfOpenStreamsAreNeverReplaced) {
    QTemporaryDir dir;
    const QString link = dir.filePath("to-stdout");
    ASSERT_TRUE(QFile::link("/dev/stdout", link));
    using Owner = DescriptorPath::Owner;
    const struct Row {
        QString path;
        Owner owner;
        int fd;
    } rows[] = {
        // clang-format off
        {"/dev/stderr", Owner::Own, 2}, {"/proc/" + QString::number(::getpid()) + "/fd/2", Owner::Own, 2},
        {"/dev/fd/../fd/1", Owner::Own, 1}, {link, Owner::Own, 1},
        {"/proc/1/fd/1", Owner::Other, -1}, {"/dev/null", Owner::None, -1},
        // clang-format on
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        const DescriptorPath found = DescriptorPath::of(row.path);
        EXPECT_EQ(found.owner, row.owner);
        EXPECT_EQ(found.fd, row.fd);
        if (row.owner != Owner::None) {
            EXPECT_EQ(failureOf([&] { AtomicOutput output(row.path, Replace::Existing, 0600); }),
                      Kind::OutputNotFile);
        }
    }
    EXPECT_EQ(QFile::symLinkTarget(link), "/dev/stdout");
}

// Where the file system has no unnamed temporary files, every signal that ends the process
// removes the named temporary file first, and still ends the process as it would have.
TEST(AtomicOutput, EverySignalThatEndsTheProcessRemovesTheTemporaryFile) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM,
                             SIGVTALRM, SIGPROF, SIGXCPU, SIGXFSZ, SIGABRT, SIGRTMIN, SIGRTMAX}) {
        SCOPED_TRACE(strsignal(signal));
        QTemporaryDir dir;
        const auto entries = [&] { return QDir(dir.path()).entryList(QDir::Hidden | QDir::Files); };
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const rlimit noCore{0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            OutputFaults faults(false);
            AtomicOutput file(dir.filePath("out.bin"), Replace::Nothing, 0600);
            file.write(reinterpret_cast<const std::uint8_t*>("locked"), 6);
            const bool named = entries().size() == 1;
            ::raise(signal);
            ::_exit(named ? 0 : 1); // the signal did not end the process
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(entries(), QStringList());
    }
}

} // namespace
} // namespace kelvane::test
