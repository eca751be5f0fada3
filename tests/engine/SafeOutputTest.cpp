// SPDX-License-Identifier: MIT
#include "engine/FileStream.h"
#include "engine/OutputGroup.h"
#include "engine/RndCrypt.h"
#include "tests/support/EngineTest.h"
#include "tests/support/OutputFaults.h"

#include <QRegularExpression>
#include <QScopeGuard>

#include <algorithm>
#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kelvane;
using namespace kelvane::test;

namespace {

class SafeOutput : public FileFixture {
protected:
    void SetUp() override {
        content = randomBytes(2 * kMiB + 5000);
        locked = transformed(content, "pw");
        source = write("source.bin", content);
    }

    // Locks the source into `output`, calling `during` at the first yield after the seeding (the
    // output's temporary file exists by then); the kind of the failure, or nothing.
    std::optional<Kind> lock(const QString& output, Replace replace,
                             const std::function<void()>& during = {}) {
        bool called = false;
        const YieldStep yield = [&](std::uint64_t, std::uint64_t) {
            if (during && !std::exchange(called, true)) {
                during();
            }
        };
        return failureOf([&] { RndCrypt(source, path(output), "pw", yield, replace); });
    }

    QByteArray content, locked;
    QString source;
};

// Whatever is at the output, there from the start or appearing during the run, with or without
// unnamed temporary files: without consent nothing is replaced; with it, a file or a live or
// dangling link is replaced by the new file itself. A link's target is never written, created or
// changed in mode, and nothing else is left in the folder.
TEST_F(SafeOutput, ReplacesOnlyWithConsentAndNeverWritesThroughALink) {
    const struct {
        const char* what;
        std::function<void()> appear;
    } outputs[] = {
        {"a file", [&] { write("out.bin", "someone else's"); }},
        {"a live link", [&] { QFile::link(path("victim.txt"), path("out.bin")); }},
        {"a dangling link", [&] { QFile::link(path("nowhere.txt"), path("out.bin")); }},
    };
    QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::ReadOther);
    // The folder as it is, the output's temporary file left out.
    const auto settled = [&] {
        auto now = state();
        now.removeIf([](const auto& entry) { return entry.key().startsWith(".kelvane-"); });
        return now;
    };
    for (const auto& output : outputs) {
        for (const bool unnamed : {false, true}) {
            for (const bool duringTheRun : {false, true}) {
                for (const bool consent : {false, true}) {
                    SCOPED_TRACE(testing::Message()
                                 << output.what << (duringTheRun ? " appearing" : " there")
                                 << (unnamed ? ", unnamed" : ", named") << " temporary file"
                                 << (consent ? ", consent" : ", no consent"));
                    write("victim.txt", "victim");
                    QFile::setPermissions(path("victim.txt"), QFile::ReadOwner | QFile::WriteOwner);
                    QFile::remove(path("out.bin"));
                    OutputFaults faults(unnamed);
                    if (!duringTheRun) {
                        output.appear();
                    }
                    auto expected = settled();
                    const std::function<void()> during = [&] {
                        output.appear();
                        expected = settled();
                    };
                    const auto failure =
                        lock("out.bin", consent ? Replace::Existing : Replace::Nothing,
                             duringTheRun ? during : nullptr);
                    if (consent) {
                        expected["out.bin"] = "file 644 " + locked;
                    }
                    EXPECT_EQ(failure, consent ? std::nullopt : std::optional(Kind::OutputExists));
                    EXPECT_EQ(state(), expected);
                }
            }
        }
    }
}

// A folder, device, pipe or socket is never read as a source, so nothing blocks or reads on
// forever, and never replaced as an output, whatever the consent. Nothing is created, and it is
// left as it was.
TEST_F(SafeOutput, OnlyRegularFilesAreReadOrReplaced) {
    ASSERT_EQ(::mkfifo(qPrintable(path("pipe")), 0644), 0);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{.sun_family = AF_UNIX, .sun_path = {}};
    std::strncpy(address.sun_path, qPrintable(path("socket")), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(socket);
    QDir(dir.path()).mkdir("folder");
    const auto before = state();
    const struct {
        QString path;
        const char* reason;
    } rows[] = {
        {path("pipe"), "it is a pipe (FIFO), not a file."},
        {"/dev/null", "it is a device, not a file."},
        {path("socket"), "it is a socket, not a file."},
        {path("folder"), "it is a folder."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path.toStdString());
        const auto error = errorOf([&] { RndCrypt(row.path, path("out.bin"), "pw"); });
        EXPECT_EQ(error ? error->message() : "", "Cannot read " + row.path + ": " + row.reason);
        EXPECT_EQ(lock(row.path, Replace::Nothing), Kind::OutputNotFile);
        EXPECT_EQ(lock(row.path, Replace::Existing), Kind::OutputNotFile);
        EXPECT_EQ(state(), before);
    }
}

// Every call that touches the output, failing at each of its uses with each error: the run
// either succeeds with exactly the right bytes or fails naming the error, and the folder and
// an old output are then exactly as they were.
TEST_F(SafeOutput, EveryFailingOutputCallLeavesTheFolderAsItWas) {
    int failedRuns = 0;
    const auto failOneUseAfterAnother = [&](bool unnamed, bool replacing, OutputCall call,
                                            int error) {
        for (int nth = 1;; ++nth) {
            SCOPED_TRACE(testing::Message()
                         << (unnamed ? "unnamed" : "named") << " temporary file"
                         << (replacing ? ", replacing" : "") << ", call " << int(call) << " use "
                         << nth << " failing with " << std::strerror(error));
            QFile::remove(path("out.bin"));
            if (replacing) {
                write("out.bin", "old output");
            }
            const auto before = state();
            OutputFaults faults(unnamed);
            faults.failAt(call, nth, error);
            const auto failure = errorOf([&] {
                RndCrypt(source, path("out.bin"), "pw", {},
                         replacing ? Replace::Existing : Replace::Nothing);
            });
            if (failure && failure->kind() == Kind::Unflushed) {
                // The folder's flush comes once the new file has its name: the file stays,
                // complete, and the failure is reported all the same.
                EXPECT_EQ(OutputCall(call), OutputCall::FolderFlush);
                EXPECT_TRUE(failure->message().contains(std::strerror(error)));
                EXPECT_EQ(read("out.bin"), locked);
                EXPECT_EQ(entries(), QStringList({"out.bin", "source.bin"}));
            } else if (failure) {
                ++failedRuns;
                EXPECT_EQ(failure->kind(), Kind::Write);
                EXPECT_TRUE(failure->message().contains(std::strerror(error)));
                EXPECT_EQ(state(), before);
            } else {
                EXPECT_EQ(read("out.bin"), locked);
                EXPECT_EQ(entries(), QStringList({"out.bin", "source.bin"}));
            }
            if (faults.uses(call) < nth) {
                return;
            }
        }
    };
    for (const bool unnamed : {false, true}) {
        for (const bool replacing : {false, true}) {
            for (int call = 0; call < int(OutputCall::Count); ++call) {
                for (const int error : {EIO, ENOSPC, EDQUOT}) {
                    failOneUseAfterAnother(unnamed, replacing, OutputCall(call), error);
                }
            }
        }
    }
    EXPECT_GT(failedRuns, 100);
}

// On the windowed path every write goes through the cache, also past the window where stretches
// are waited for and dropped from the cache. On the direct path whole chunks go to the disk
// directly where the file system takes it, and a partial last chunk through the cache, without a
// refused write; where direct writes are refused, the first refusal sends everything through the
// cache. The bytes are the same on every path.
TEST_F(SafeOutput, EveryWritePathWritesTheSameBytes) {
    const int probe = ::open(qPrintable(dir.path()), O_RDONLY | O_DIRECTORY);
    const int tmp = ::openat(probe, ".", O_TMPFILE | O_WRONLY | O_DIRECT, 0600);
    const bool directHere = tmp >= 0;
    ::close(tmp);
    ::close(probe);
    const QByteArray large = randomBytes(41 * kMiB + 5000);
    const QByteArray largeLocked = transformed(large, "pw");
    const struct {
        const char* what;
        detail::WritePath path;
        bool refused;
        qsizetype size;
        int directWrites, refusedWrites; // where the file system takes direct writes
    } rows[] = {
        {"windowed, whole chunks", detail::WritePath::Windowed, false, 2 * kMiB, 0, 0},
        {"windowed, past the window", detail::WritePath::Windowed, false, large.size(), 0, 0},
        {"direct, whole chunks", detail::WritePath::Direct, false, 2 * kMiB, 2, 0},
        {"direct, a partial last chunk", detail::WritePath::Direct, false, 2 * kMiB + 5000, 2, 0},
        {"direct refused", detail::WritePath::Direct, true, 2 * kMiB, 1, 1},
        {"direct refused, a partial chunk", detail::WritePath::Direct, true, 2 * kMiB + 5000, 1, 1},
    };
    const detail::WritePath before = detail::writePath();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const bool big = row.size == large.size();
        source = write("source.bin", big ? large : content.first(row.size));
        QFile::remove(path("out.bin"));
        detail::writePath() = row.path;
        OutputFaults faults;
        if (row.refused) {
            faults.refuseDirectWrites();
        }
        EXPECT_EQ(lock("out.bin", Replace::Nothing), std::nullopt);
        EXPECT_TRUE(read("out.bin") == (big ? largeLocked : locked.first(row.size)));
        if (directHere || row.directWrites == 0) {
            EXPECT_EQ(faults.refusedWrites(), row.refusedWrites);
            EXPECT_EQ(faults.directWrites(), row.directWrites);
        }
    }
    detail::writePath() = before;
}

// A source must end as it began: the same size, not modified, not replaced. Otherwise the run
// fails and publishes nothing, and no temporary file is left. Each change
// is made at the first yield after the seeding; a source grown and cut back with its time
// restored shows only in the number of bytes read.
TEST_F(SafeOutput, ASourceThatChangesWhileItIsReadFailsTheRun) {
    const qint64 size = content.size();
    const struct {
        const char* what;
        std::function<void()> change;
        bool cutBack = false;
    } rows[] = {
        {"truncated", [&] { QFile::resize(source, 169); }},
        {"grown", [&] { QFile::resize(source, 3 * kMiB); }},
        {"grown, then cut back", [&] { QFile::resize(source, 3 * kMiB); }, true},
        {"modified in place",
         [&] {
             QFile file(source);
             EXPECT_TRUE(file.open(QIODevice::ReadWrite) && file.write("X") == 1);
             file.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                              QFileDevice::FileModificationTime);
         }},
        {"replaced",
         [&] { ::rename(qPrintable(write("other.bin", content)), qPrintable(source)); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        QFile::remove(path("out.bin"));
        write("source.bin", content);
        struct stat before {};
        ::stat(qPrintable(source), &before);
        bool changed = false;
        const auto error = errorOf([&] {
            RndCrypt(source, path("out.bin"), "pw", [&](std::uint64_t done, std::uint64_t) {
                if (done > 0 && !std::exchange(changed, true)) {
                    row.change();
                } else if (row.cutBack && done > std::uint64_t(size) &&
                           QFileInfo(source).size() > size) {
                    QFile::resize(source, size);
                    const timespec times[2] = {before.st_atim, before.st_mtim};
                    ::utimensat(AT_FDCWD, qPrintable(source), times, 0);
                }
            });
        });
        EXPECT_EQ(error ? error->message() : "",
                  "Cannot read " + source + ": it changed while it was being read.");
        EXPECT_EQ(entries(), QStringList("source.bin"));
    }
}

// The new file takes the source's read/write/execute bits only, less the umask, and never more
// than a file it replaces.
TEST_F(SafeOutput, TheNewFileIsNeverMoreOpenThanItsSourceTheUmaskOrWhatItReplaces) {
    const struct {
        mode_t source, mask;
        int replaced; // the old output's mode, or -1 for none
        mode_t expected;
    } rows[] = {
        {04755, 022, -1, 0755},  {06775, 002, -1, 0775},  {01777, 0, -1, 0777},
        {0644, 077, -1, 0600},   {0644, 022, 0600, 0600}, {0664, 002, 0640, 0640},
        {0600, 022, 0666, 0600},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message()
                     << std::oct << row.source << ' ' << row.mask << ' ' << row.replaced);
        ASSERT_EQ(::chmod(qPrintable(source), row.source), 0);
        QFile::remove(path("out.bin"));
        if (row.replaced >= 0) {
            ::chmod(qPrintable(write("out.bin", "old")), mode_t(row.replaced));
        }
        const mode_t previous = ::umask(row.mask);
        EXPECT_EQ(lock("out.bin", Replace::Existing), std::nullopt);
        ::umask(previous);
        EXPECT_EQ(state()["out.bin"].split(' ').value(1), QByteArray::number(row.expected, 8));
    }
}

// Where the file system has no unnamed files, the temporary file has a short hidden name and is
// readable by its owner only from the moment it exists; an output whose name is near the
// file system's limit can still be written and replaced. A signal that ends the process during a
// run takes the temporary file with it.
TEST_F(SafeOutput, ANamedTemporaryFileIsPrivateAndGoesWithTheProcess) {
    ASSERT_EQ(::chmod(qPrintable(source), 0644), 0);
    const OutputFaults faults(false);
    QStringList temporary;
    struct stat status {};
    const QString longName = QString(239, 'n') + "_locked.bin"; // 250 bytes
    EXPECT_EQ(lock(longName, Replace::Nothing,
                   [&] {
                       temporary = entries().filter(".kelvane-");
                       ::stat(qPrintable(path(temporary.value(0))), &status);
                   }),
              std::nullopt);
    EXPECT_TRUE(temporary.size() == 1 && temporary[0].size() < 20)
        << temporary.join(' ').toStdString();
    EXPECT_EQ(status.st_mode & 07777, 0600u);
    EXPECT_EQ(lock(longName, Replace::Existing), std::nullopt);
    EXPECT_EQ(entries(), QStringList({longName, "source.bin"}));
    EXPECT_EQ(read(longName), locked);

    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        const pid_t child = ::fork();
        if (child == 0) {
            lock("out.bin", Replace::Nothing, [&] {
                if (entries().filter(".kelvane-").size() == 1) {
                    ::raise(signal);
                }
            });
            ::_exit(0); // not ended by the signal: the check below fails
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
        EXPECT_EQ(entries(), QStringList({longName, "source.bin"}));
    }
}

} // namespace

// Outputs locked into a group appear only when the group flushes, each complete, and each one's
// done is called once, after that: with no error when it is on disk under its name, otherwise
// with the error, and then nothing of it is left. One output's failure leaves the others alone. A
// group that fills up flushes by itself, a large output is published at once on its own, and a
// group destroyed without a flush leaves the folder as it was. A group never holds more open
// files than the process may open: here a few hundred.
TEST_F(SafeOutput, AGroupPublishesEachOutputOnlyOnceItIsOnDisk) {
    rlimit limit{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &limit), 0);
    const rlimit before = limit;
    limit.rlim_cur = std::min<rlim_t>(limit.rlim_max, 640);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    const auto restore = qScopeGuard([&] { ::setrlimit(RLIMIT_NOFILE, &before); });
    const int full = int(OutputGroup().capacity());
    const struct {
        const char* what;
        int files;
        qsizetype size = 3000;
        bool unnamed = true;
        OutputCall call = OutputCall::Count; // the call that fails, at its `nth` use
        int nth = 0;
        int appearsAt = -1; // an output that someone else writes meanwhile
        bool flush = true;
        int failing = -1; // the output expected to fail
        int doneBeforeFlush = 0;
        bool fileSystemFlushFails = false;
        bool unflushed = false; // every output published, and each one reported unconfirmed
    } rows[] = {
        {"all publish", 5},
        {"with named temporary files", 5, 3000, false},
        {"the file system's flush fails", 5, 3000, true, OutputCall::FlushAll, 1, -1, true, -1},
        {"then the third file's own flush fails", 5, 3000, true, OutputCall::Flush, 3, -1, true, 2,
         0, true},
        {"the second link fails", 5, 3000, true, OutputCall::Link, 2, -1, true, 1},
        {"a named one's rename fails", 4, 3000, false, OutputCall::Rename, 4, -1, true, 3},
        {"an output appears meanwhile", 5, 3000, true, OutputCall::Count, 0, 3, true, 3},
        {"destroyed without a flush", 5, 3000, true, OutputCall::Count, 0, -1, false},
        {"the folder's flush fails", 3, 3000, true, OutputCall::FolderFlush, 1, -1, true, -1, 0,
         false, true},
        {"a full group flushes by itself", 2 * full + 1, 100, true, OutputCall::Count, 0, -1, true,
         -1, 2 * full},
        {"large outputs go at once", 2, qsizetype(OutputGroup::kLargeFile), true, OutputCall::Count,
         0, -1, true, -1, 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        QDir(path("in")).removeRecursively();
        QDir(path("out")).removeRecursively();
        QDir().mkpath(path("out"));
        std::vector<QByteArray> contents;
        for (int i = 0; i < row.files; ++i) {
            contents.push_back(randomBytes(row.size + i));
            write(QStringLiteral("in/%1").arg(i), contents.back());
        }
        const QString outputs = path("out");
        const auto listed = [&] {
            return QDir(outputs).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        };
        std::vector<int> done(std::size_t(row.files), 0);
        std::vector<std::optional<Kind>> errors(std::size_t(row.files));
        {
            OutputFaults faults(row.unnamed);
            OutputGroup group;
            for (int i = 0; i < row.files; ++i) {
                RndCrypt(path(QStringLiteral("in/%1").arg(i)),
                         QStringLiteral("%1/%2").arg(outputs).arg(i), "pw", group,
                         [&, i](const EngineError* error) {
                             ++done[std::size_t(i)];
                             errors[std::size_t(i)] =
                                 error ? std::optional(error->kind()) : std::nullopt;
                         });
            }
            EXPECT_EQ(std::count(done.begin(), done.end(), 1), row.doneBeforeFlush);
            // Named temporary files are there, but no output's name.
            EXPECT_EQ(listed().filter(QRegularExpression("^[0-9]+$")).size(), row.doneBeforeFlush);
            if (row.appearsAt >= 0) {
                write(QStringLiteral("out/%1").arg(row.appearsAt), "someone else's");
            }
            faults.failAt(row.call, row.nth, EIO);
            if (row.fileSystemFlushFails) {
                faults.failFileSystemFlushes();
            }
            if (row.flush) {
                group.flush();
            }
        }
        if (!row.flush) {
            EXPECT_TRUE(listed().isEmpty()) << listed().join(' ').toStdString();
            EXPECT_EQ(std::count(done.begin(), done.end(), 0), row.files);
            continue;
        }
        QStringList expected;
        for (int i = 0; i < row.files; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(done[std::size_t(i)], 1);
            const QByteArray now = read(QStringLiteral("out/%1").arg(i));
            if (row.unflushed) {
                EXPECT_EQ(errors[std::size_t(i)], Kind::Unflushed);
                EXPECT_TRUE(now == transformed(contents[std::size_t(i)], "pw"));
            } else if (i == row.failing) {
                EXPECT_TRUE(errors[std::size_t(i)].has_value());
                EXPECT_EQ(now, i == row.appearsAt ? "someone else's" : "<missing>");
            } else {
                EXPECT_EQ(errors[std::size_t(i)], std::nullopt);
                EXPECT_TRUE(now == transformed(contents[std::size_t(i)], "pw"));
            }
            if (now != "<missing>") {
                expected.append(QString::number(i));
            }
        }
        expected.sort();
        QStringList present = listed();
        present.sort();
        EXPECT_EQ(present, expected);
    }
}
