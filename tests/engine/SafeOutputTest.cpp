// SPDX-License-Identifier: MIT
#include "engine/FileStream.h"
#include "engine/OutputGroup.h"
#include "engine/RndCrypt.h"
#include "engine/StreamCrypt.h"
#include "tests/support/EngineTest.h"
#include "tests/support/OutputFaults.h"

#include <QScopeGuard>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/vfs.h>
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
// unnamed temporary files: a file or a live or dangling link is replaced only with consent, and
// then by the new file itself; a pipe, socket or folder never. A link's target is never
// written, created or changed in mode, and nothing else is left in the folder. Nor is anything
// but a file read as a source, so nothing blocks or reads on forever.
TEST_F(SafeOutput, ReplacesOnlyWithConsentAndNeverWritesThroughALink) {
    const struct {
        const char* what;
        std::function<void()> appear;
        const char* notAFile = nullptr; // why it is never read or replaced
    } outputs[] = {
        {"a file", [&] { write("out.bin", "someone else's"); }},
        {"a live link", [&] { QFile::link(path("victim.txt"), path("out.bin")); }},
        {"a dangling link", [&] { QFile::link(path("nowhere.txt"), path("out.bin")); }},
        {"a pipe", [&] { ::mkfifo(qPrintable(path("out.bin")), 0644); },
         "it is a pipe (FIFO), not a file."},
        {"a socket", [&] { ::mknod(qPrintable(path("out.bin")), S_IFSOCK | 0644, 0); },
         "it is a socket, not a file."},
        {"a folder", [&] { QDir(dir.path()).mkdir("out.bin"); }, "it is a folder."},
    };
    ASSERT_EQ(::chmod(qPrintable(source), 0644), 0);
    for (const auto& output : outputs) {
        for (int way = 0; way < 8; ++way) {
            const bool unnamed = way & 1, duringTheRun = way & 2, consent = way & 4;
            SCOPED_TRACE(testing::Message() << output.what << ", way " << way);
            write("victim.txt", "victim");
            ::chmod(qPrintable(path("victim.txt")), 0600);
            std::remove(qPrintable(path("out.bin")));
            OutputFaults faults(unnamed);
            if (!duringTheRun) {
                output.appear();
            }
            auto expected = state();
            const auto failure =
                lock("out.bin", consent ? Replace::Existing : Replace::Nothing, [&] {
                    if (duringTheRun) {
                        output.appear();
                        expected = state();
                    }
                    // A named temporary file is the owner's alone from the start.
                    const QStringList temporary = entries().filter(".kelvane-");
                    EXPECT_EQ(temporary.size(), unnamed ? 0 : 1);
                    EXPECT_TRUE(unnamed || state()[temporary.value(0)].startsWith("file 600"));
                    expected.remove(temporary.value(0));
                });
            const bool replaced = consent && !output.notAFile;
            if (replaced) {
                expected["out.bin"] = "file 644 " + locked;
            }
            // Without consent, one that appears during the run is refused as an existing output.
            const bool notAFile = output.notAFile && (consent || !duringTheRun);
            EXPECT_EQ(failure, replaced   ? std::nullopt
                               : notAFile ? std::optional(Kind::OutputNotFile)
                                          : std::optional(Kind::OutputExists));
            EXPECT_EQ(state(), expected);
        }
        if (output.notAFile) {
            const auto error = errorOf([&] { RndCrypt(path("out.bin"), path("new.bin"), "pw"); });
            EXPECT_EQ(error ? error->message() : "",
                      "Cannot read " + path("out.bin") + ": " + output.notAFile);
            EXPECT_FALSE(QFile::exists(path("new.bin")));
        }
    }
    const auto error = errorOf([&] { RndCrypt("/dev/null", path("new.bin"), "pw"); });
    EXPECT_EQ(error ? error->message() : "", "Cannot read /dev/null: it is a device, not a file.");
}

// Every call that touches the output, failing at each of its uses with each error: the run
// either succeeds with exactly the right bytes or fails naming the error, and the folder and
// an old output are then exactly as they were. A failed flush of the folder comes once the new
// file has its name: the file stays, complete, and the failure is reported all the same, unless
// the file system has no folder flushes. The same on the direct path, where whole chunks are
// written while the next is read.
TEST_F(SafeOutput, EveryFailingOutputCallLeavesTheFolderAsItWas) {
    int failedRuns = 0;
    const detail::WritePath before = detail::writePath();
    const auto restore = qScopeGuard([&] { detail::writePath() = before; });
    for (int way = 0; way < 8; ++way) {
        const bool unnamed = way & 1, replacing = way & 2;
        detail::writePath() = way & 4 ? detail::WritePath::Direct : detail::WritePath::Windowed;
        for (int index = 0; index < int(OutputCall::Count); ++index) {
            const auto call = OutputCall(index);
            // EINVAL from the folder's flush: a file system without folder flushes, no fault.
            for (const int error : {EIO, ENOSPC, EINVAL}) {
                for (int nth = 1, failed = 1; failed; ++nth) {
                    SCOPED_TRACE(testing::Message()
                                 << "way " << way << ", call " << index << " use " << nth << ": "
                                 << std::strerror(error));
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
                    failed = faults.uses(call) >= nth;
                    const bool unflushed = failure && failure->kind() == Kind::Unflushed;
                    EXPECT_EQ(unflushed,
                              failed && call == OutputCall::FolderFlush && error != EINVAL);
                    // A write that fails is never taken as done.
                    EXPECT_TRUE(failure || !failed || call != OutputCall::Write || error == EINVAL);
                    EXPECT_TRUE(!failure || failure->message().contains(std::strerror(error)));
                    if (failure && !unflushed) {
                        ++failedRuns;
                        EXPECT_EQ(failure->kind(), Kind::Write);
                        EXPECT_EQ(state(), before);
                    } else {
                        EXPECT_EQ(read("out.bin"), locked);
                        EXPECT_EQ(entries(), QStringList({"out.bin", "source.bin"}));
                    }
                }
            }
        }
    }
    EXPECT_GT(failedRuns, 100);
}

// How many pages of the first `length` bytes of the file `name` are in the page cache, or -1.
std::ptrdiff_t cachedPages(const QString& name, std::size_t length) {
    const int fd = ::open(qPrintable(name), O_RDONLY | O_CLOEXEC);
    void* mapped = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED) {
        return -1;
    }
    std::vector<unsigned char> resident(length / std::size_t(::sysconf(_SC_PAGESIZE)));
    const bool known = ::mincore(mapped, length, resident.data()) == 0;
    ::munmap(mapped, length);
    return known ? std::ranges::count_if(resident, [](unsigned char page) { return page & 1; })
                 : -1;
}

// On the windowed path every write goes through the cache, also past the window where stretches
// are waited for and dropped from the cache: the first stretch is on disk and out of the cache
// before the file is published. On the direct path whole chunks go to the disk directly where the
// file system takes it, several in flight, and a partial last chunk through the cache; a chunk
// refused or cut short goes (the rest of it) through the cache, and so does every chunk after it.
// Without io_uring the chunks go directly one at a time. A stream into a file takes the windowed
// path whatever path files take (its chunks come in any size). The bytes are the same on every
// path.
TEST_F(SafeOutput, EveryWritePathWritesTheSameBytes) {
    const int probe = ::open(qPrintable(dir.path()), O_WRONLY | O_TMPFILE | O_DIRECT, 0600);
    const bool directHere = probe >= 0;
    ::close(probe);
    // A file system that keeps files in memory only (tmpfs) cannot drop them from the cache.
    struct statfs system {};
    ASSERT_EQ(::statfs(qPrintable(dir.path()), &system), 0);
    const QByteArray large = randomBytes(41 * kMiB + 5000);
    using enum detail::WritePath;
    enum Fault { None, Refused, Cut, NoRing };
    const struct {
        const char* what;
        detail::WritePath path;
        Fault fault;
        QByteArray content;
        int directWrites; // tried, where the file system takes direct writes
        bool stream = false;
    } rows[] = {
        {"windowed, past the window", Windowed, None, large, 0},
        {"direct, past the window", Direct, None, large, 41},
        {"direct, a partial last chunk", Direct, None, content, 2},
        {"direct refused", Direct, Refused, content.first(2 * kMiB), 2},
        {"direct cut short", Direct, Cut, large, 4},
        {"direct without io_uring", Direct, NoRing, content, 2},
        {"a stream, past the window", Direct, None, large, 0, true},
    };
    const detail::WritePath before = detail::writePath();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        source = write("source.bin", row.content);
        QFile::remove(path("out.bin"));
        detail::writePath() = row.path;
        OutputFaults faults;
        if (row.fault == Refused) {
            faults.refuseDirectWrites();
        } else if (row.fault == Cut) {
            faults.cutDirectWrites();
        } else if (row.fault == NoRing) {
            faults.refuseRings();
        }
        if (row.stream) {
            const int in = ::open(qPrintable(source), O_RDONLY | O_CLOEXEC);
            StreamInput input = StreamInput::descriptor(in, "source.bin");
            StreamOutput output = StreamOutput::file(path("out.bin"), Replace::Nothing, 0600);
            EXPECT_EQ(RndCryptStream(input, output, "pw"), row.content.size());
            ::close(in);
        } else {
            EXPECT_EQ(lock("out.bin", Replace::Nothing), std::nullopt);
        }
        if (directHere || row.directWrites == 0) {
            EXPECT_EQ(faults.directWrites(), row.directWrites);
        }
        // Looked at before the file is read back.
        if (row.content.size() > 40 * kMiB && system.f_type != TMPFS_MAGIC) {
            const std::ptrdiff_t cached = cachedPages(path("out.bin"), 8 * kMiB);
            EXPECT_TRUE(cached >= 0 && cached < 8 * kMiB / ::sysconf(_SC_PAGESIZE) / 4) << cached;
        }
        EXPECT_TRUE(read("out.bin") == transformed(row.content, "pw"));
    }
    detail::writePath() = before;
    // Left to the program, a file system on no disk (tmpfs) takes the windowed path.
    const int memory = ::open("/dev/shm", O_WRONLY | O_TMPFILE | O_CLOEXEC, 0600);
    EXPECT_TRUE(memory < 0 || detail::pathFor(Automatic, memory) == Windowed);
    ::close(memory);
}

// A source must end as it began: the same size, not modified, not replaced. Otherwise the run
// fails and publishes nothing, and no temporary file is left. Each change is made at the first
// yield after the seeding; a source grown and cut back with its time restored shows only in the
// number of bytes read. (A source modified in place is the command-line streaming test's.)
TEST_F(SafeOutput, ASourceThatChangesWhileItIsReadFailsTheRun) {
    const qint64 size = content.size();
    const struct {
        const char* what;
        std::function<void()> change;
        bool cutBack = false;
    } rows[] = {
        {"grown, then cut back", [&] { QFile::resize(source, 3 * kMiB); }, true},
        {"replaced",
         [&] { ::rename(qPrintable(write("other.bin", content)), qPrintable(source)); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
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
// than a file it replaces. Its name is near the file system's limit: where the file system has
// no unnamed files, the temporary file's name is short, so such an output is still written.
TEST_F(SafeOutput, TheNewFileIsNeverMoreOpenThanItsSourceTheUmaskOrWhatItReplaces) {
    const struct {
        mode_t source, mask;
        int replaced; // the old output's mode, or -1 for none
        mode_t expected;
    } rows[] = {
        {06775, 002, -1, 0775},  {01777, 0, -1, 0777},    {0644, 077, -1, 0600},
        {0664, 002, 0640, 0640}, {0600, 022, 0666, 0600},
    };
    const QString output = QString(239, 'n') + "_locked.bin"; // 250 bytes
    for (const bool unnamed : {false, true}) {
        const OutputFaults faults(unnamed);
        for (const auto& row : rows) {
            SCOPED_TRACE(testing::Message() << std::oct << row.source << ' ' << row.mask << ' '
                                            << row.replaced << ", unnamed " << unnamed);
            ASSERT_EQ(::chmod(qPrintable(source), row.source), 0);
            QFile::remove(path(output));
            if (row.replaced >= 0) {
                ::chmod(qPrintable(write(output, "old")), mode_t(row.replaced));
            }
            const mode_t previous = ::umask(row.mask);
            EXPECT_EQ(lock(output, Replace::Existing), std::nullopt);
            ::umask(previous);
            EXPECT_EQ(state()[output],
                      "file " + QByteArray::number(row.expected, 8) + ' ' + locked);
        }
    }
}

// Outputs locked into a group appear only when the group flushes, each complete, and each one's
// done is called once, after that: with no error when it is on disk under its name, otherwise
// with the error, and then nothing of it is left. One output's failure leaves the others alone. A
// group that fills up flushes by itself, a large output is published at once on its own, and a
// group destroyed without a flush leaves the folder as it was. A group never holds more open
// files than the process may open: here a few hundred.
TEST_F(SafeOutput, AGroupPublishesEachOutputOnlyOnceItIsOnDisk) {
    using enum OutputCall;
    constexpr auto kLarge = qsizetype(OutputGroup::kLargeFile);
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &before), 0);
    const rlimit limit{std::min<rlim_t>(before.rlim_max, 640), before.rlim_max};
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &limit), 0);
    const auto restore = qScopeGuard([&] { ::setrlimit(RLIMIT_NOFILE, &before); });
    const int full = int(OutputGroup().capacity());
    const struct {
        const char* what;
        int files = 5;
        qsizetype size = 3000;
        bool unnamed = true;
        OutputCall call = Count; // the call that fails, at its `nth` use
        int nth = 0;
        bool syncfsFails = false; // the flush of the whole file system fails
        int appearsAt = -1;       // an output that someone else writes meanwhile
        bool flush = true;
        int failing = -1; // the output expected to fail
        int doneBeforeFlush = 0;
        bool unflushed = false; // every output published, and each one reported unconfirmed
    } rows[] = {
        {.what = "both flushes fail", .call = Flush, .nth = 3, .syncfsFails = true, .failing = 2},
        {.what = "the second link fails", .call = Link, .nth = 2, .failing = 1},
        {.what = "a rename fails", .unnamed = false, .call = Rename, .nth = 5, .failing = 4},
        {.what = "an output appears", .appearsAt = 3, .failing = 3},
        {.what = "destroyed without a flush", .flush = false},
        {.what = "the folder's flush fails", .call = FolderFlush, .nth = 1, .unflushed = true},
        {.what = "a full group", .files = 2 * full + 1, .size = 100, .doneBeforeFlush = 2 * full},
        {.what = "large outputs go at once", .files = 2, .size = kLarge, .doneBeforeFlush = 2},
    };
    const QTemporaryDir inputs;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
        QMap<int, std::optional<Kind>> reports, expectedReports;
        int calls = 0;
        {
            OutputFaults faults(row.unnamed);
            OutputGroup group;
            for (int i = 0; i < row.files; ++i) {
                const auto input =
                    write(inputs.filePath(QString::number(i)), randomBytes(row.size + i));
                RndCrypt(input, path(QString::number(i)), "pw", group,
                         [&, i](const EngineError* e) {
                             ++calls;
                             reports[i] = e ? std::optional(e->kind()) : std::nullopt;
                         });
            }
            // Named temporary files are there, but no output's name before its done.
            EXPECT_EQ(calls, row.doneBeforeFlush);
            EXPECT_EQ(entries().size() - entries().filter(".kelvane-").size(), row.doneBeforeFlush);
            if (row.appearsAt >= 0) {
                write(QString::number(row.appearsAt), "someone else's");
            }
            faults.failAt(Sync, row.syncfsFails ? 1 : 0, EIO);
            faults.failAt(row.call, row.nth, EIO);
            if (row.flush) {
                group.flush();
            }
        }
        QMap<QString, QByteArray> expected;
        for (int i = 0; i < row.files && row.flush; ++i) {
            const bool fails = i == row.failing;
            expectedReports[i] =
                fails ? std::optional(i == row.appearsAt ? Kind::OutputExists : Kind::Write)
                : row.unflushed ? std::optional(Kind::Unflushed)
                                : std::nullopt;
            if (!fails || i == row.appearsAt) {
                expected[QString::number(i)] =
                    "file 644 " +
                    (fails ? "someone else's" : transformed(randomBytes(row.size + i), "pw"));
            }
        }
        EXPECT_EQ(calls, int(expectedReports.size()));
        EXPECT_EQ(reports, expectedReports);
        EXPECT_TRUE(state() == expected);
    }
}

} // namespace
