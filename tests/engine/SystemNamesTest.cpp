// SPDX-License-Identifier: MIT
// Names, descriptors and signals as the system gives them.
#include "engine/AtomicOutput.h"
#include "engine/DescriptorPath.h"
#include "engine/FileName.h"
#include "engine/RndCrypt.h"
#include "tests/support/EngineTest.h"
#include "tests/support/OutputFaults.h"

#include <csignal>

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
        bool text;
        int marks; // replacement marks when shown
    } rows[] = {
        {"ascii", "report.txt", true, 0},
        {"utf8", "caf\xc3\xa9 \xe2\x82\xac.txt", true, 0},
        {"four byte utf8", "\xf0\x9f\x93\x84.txt", true, 0},
        {"windows-1252 byte", "caf\xe9.txt", false, 1},
        {"cut sequence at the end", "caf\xc3", false, 1},
        {"overlong slash",
         "a\xc0\xaf"
         "b",
         false, 2},
        {"encoded surrogate", "a\xed\xa0\x80", false, 3},
        {"beyond U+10FFFF", "\xf4\x90\x80\x80", false, 4},
        {"stray continuation then text", "\x80\xc3\xa9", false, 1},
        {"bytes spelling a kept byte", "\xed\xb3\xa9", false, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const QString name = decodeFileName(row.bytes);
        EXPECT_EQ(encodeFileName(name), row.bytes);
        EXPECT_EQ(isTextName(name), row.text);
        EXPECT_EQ(shownName(name).count(QChar::ReplacementCharacter), row.marks);
        EXPECT_EQ(decodeFileName(encodeFileName(name)), name);
    }
}

// A file whose name is not text is read and written under its own name; the file whose name
// holds the replacement mark in its place is left alone.
TEST(FileName, EngineReadsAndWritesTheNamedBytes) {
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + '/';
    const auto put = [](const QByteArray& path, const QByteArray& content) {
        FILE* stream = std::fopen(path.constData(), "wb");
        ASSERT_NE(stream, nullptr);
        std::fwrite(content.constData(), 1, static_cast<std::size_t>(content.size()), stream);
        std::fclose(stream);
    };
    const auto get = [](const QByteArray& path) {
        FILE* stream = std::fopen(path.constData(), "rb");
        QByteArray content;
        if (stream == nullptr) {
            return QByteArray("<missing>");
        }
        char buffer[256];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, stream)) > 0;) {
            content.append(buffer, static_cast<qsizetype>(got));
        }
        std::fclose(stream);
        return content;
    };
    put(folder + "caf\xe9.txt", "latin");
    put(folder + "caf\xef\xbf\xbd.txt", "decoy");
    RndCrypt(decodeFileName(folder + "caf\xe9.txt"), decodeFileName(folder + "out\xe9.bin"), "pw");
    EXPECT_EQ(get(folder + "out\xe9.bin"), transformed("latin", "pw"));
    EXPECT_EQ(get(folder + "caf\xef\xbf\xbd.txt"), "decoy");
    EXPECT_EQ(get(folder + "out\xef\xbf\xbd.bin"), "<missing>");
    // Qt cannot remove what it cannot name.
    for (const char* name : {"caf\xe9.txt", "out\xe9.bin"}) {
        ::unlink((folder + name).constData());
    }
}

// /dev/stdout and its kind name a stream that is open already, never a place for a file: the
// engine refuses them even where it may replace, and the link stays.
TEST(DescriptorPath, NamesOfOpenStreamsAreNeverReplaced) {
    QTemporaryDir dir;
    const QString link = dir.filePath("to-stdout");
    const QString file = dir.filePath("plain");
    ASSERT_TRUE(QFile::link("/dev/stdout", link));
    QFile(file).open(QIODevice::WriteOnly);
    using Owner = DescriptorPath::Owner;
    const struct Row {
        QString path;
        Owner owner;
        int fd;
    } rows[] = {
        {"/dev/stdout", Owner::Own, 1},
        {"/dev/stderr", Owner::Own, 2},
        {"/dev/fd/7", Owner::Own, 7},
        {"/proc/self/fd/1", Owner::Own, 1},
        {"/proc/" + QString::number(::getpid()) + "/fd/2", Owner::Own, 2},
        {"/dev/fd/../fd/1", Owner::Own, 1},
        {link, Owner::Own, 1},
        {"/proc/1/fd/1", Owner::Other, -1},
        {"/dev/fd/name", Owner::Other, -1},
        {file, Owner::None, -1},
        {dir.filePath("missing"), Owner::None, -1},
        {"/dev/null", Owner::None, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        const DescriptorPath found = DescriptorPath::of(row.path);
        EXPECT_EQ(found.owner, row.owner);
        EXPECT_EQ(found.fd, row.fd);
        if (row.owner != Owner::None) {
            EXPECT_EQ(failureOf([&] { checkOutputPlace(row.path, Replace::Existing); }),
                      Kind::OutputNotFile);
            EXPECT_EQ(failureOf([&] { AtomicOutput output(row.path, Replace::Existing, 0600); }),
                      Kind::OutputNotFile);
        }
    }
    EXPECT_EQ(QFile::symLinkTarget(link), "/dev/stdout");
}

// A failed flush of the folder once the file has its name is never success: the file stays,
// complete, and the failure says so. A file system without folder flushes (EINVAL) is no fault.
TEST(AtomicOutput, FailedFolderFlushAfterPublishingIsReported) {
    const struct Row {
        const char* name;
        int error;
        std::optional<Kind> failure;
    } rows[] = {
        {"EIO", EIO, Kind::Unflushed},
        {"ENOSPC", ENOSPC, Kind::Unflushed},
        {"EDQUOT", EDQUOT, Kind::Unflushed},
        {"EINVAL", EINVAL, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QString output = dir.filePath("out.bin");
        {
            QFile source(dir.filePath("source.txt"));
            ASSERT_TRUE(source.open(QIODevice::WriteOnly) && source.write("content") == 7);
        }
        OutputFaults faults;
        faults.failAt(OutputCall::FolderFlush, 1, row.error);
        const auto error = errorOf([&] { RndCrypt(dir.filePath("source.txt"), output, "pw"); });
        EXPECT_EQ(error ? std::optional(error->kind()) : std::nullopt, row.failure);
        if (error) {
            EXPECT_TRUE(error->message().contains(output)) << error->message().toStdString();
        }
        EXPECT_EQ(faults.uses(OutputCall::FolderFlush), 1);
        QFile written(output);
        ASSERT_TRUE(written.open(QIODevice::ReadOnly));
        EXPECT_EQ(written.readAll(), transformed("content", "pw"));
    }
}

// Where the file system has no unnamed temporary files, every signal that ends the process
// removes the named temporary file first, and still ends the process as it would have.
TEST(AtomicOutput, EverySignalThatEndsTheProcessRemovesTheTemporaryFile) {
    const struct Row {
        const char* name;
        int signal;
    } rows[] = {
        {"TERM", SIGTERM},   {"INT", SIGINT},     {"QUIT", SIGQUIT}, {"USR1", SIGUSR1},
        {"USR2", SIGUSR2},   {"PIPE", SIGPIPE},   {"ALRM", SIGALRM}, {"VTALRM", SIGVTALRM},
        {"PROF", SIGPROF},   {"XCPU", SIGXCPU},   {"XFSZ", SIGXFSZ}, {"ABRT", SIGABRT},
        {"RTMIN", SIGRTMIN}, {"RTMAX", SIGRTMAX},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTemporaryDir dir;
        const QString output = dir.filePath("out.bin");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const rlimit noCore{0, 0};
            ::setrlimit(RLIMIT_CORE, &noCore);
            OutputFaults faults(false);
            AtomicOutput file(output, Replace::Nothing, 0600);
            file.write(reinterpret_cast<const std::uint8_t*>("locked"), 6);
            const bool named = QDir(dir.path()).entryList(QDir::Hidden | QDir::Files).size() == 1;
            ::raise(row.signal);
            ::_exit(named ? 0 : 1); // the signal did not end the process
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == row.signal) << status;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files | QDir::System),
                  QStringList());
    }
}

} // namespace
} // namespace kelvane::test
