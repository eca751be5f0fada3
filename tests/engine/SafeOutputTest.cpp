#include "EngineTest.h"
#include "OutputFaults.h"
#include "RndCrypt.h"

#include <QFileInfo>

#include <csignal>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace kelvane;
using namespace kelvane::test;
using Kind = kelvane::EngineError::Kind;

namespace {

constexpr int kMiB = 1024 * 1024;

class SafeOutput : public FileFixture {
protected:
    void SetUp() override {
        content = randomBytes(2 * kMiB + 5000);
        locked = content;
        RndCryptBuffer(bytes(locked), "pw");
        source = write("source.bin", content);
    }

    // Runs a lock into `output`, calling `during` at the first yield after the seeding (the
    // output's temporary file exists by then); the kind of the failure, or nothing.
    std::optional<Kind> lock(const QString& output, Replace replace,
                             const std::function<void()>& during = {}) {
        bool called = false;
        return failureOf([&] {
            RndCrypt(
                source, output, "pw",
                [&](std::uint64_t, std::uint64_t) {
                    if (during && !std::exchange(called, true)) {
                        during();
                    }
                },
                replace);
        });
    }

    void makeFifo(const QString& name) { ASSERT_EQ(::mkfifo(qPrintable(path(name)), 0644), 0); }

    void makeSocket(const QString& name) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, qPrintable(path(name)), sizeof address.sun_path - 1);
        ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(fd);
    }

    QByteArray content, locked;
    QString source;
};

// Without consent nothing at the output is replaced: not what was there at the start, and not
// what appears while the run goes on, with or without unnamed temporary files. A link's target
// is never touched, and nothing else is left in the folder.
TEST_F(SafeOutput, NothingIsReplacedWithoutConsentEvenWhenItAppearsDuringTheRun) {
    const std::function<void(const QString&)> appear[] = {
        [&](const QString& out) { write(QFileInfo(out).fileName(), "someone else's"); },
        [&](const QString& out) { QFile::link(path("victim.txt"), out); },
        [&](const QString& out) { QFile::link(path("nowhere.txt"), out); },
    };
    // The folder as it is, the output's temporary file left out.
    const auto settled = [&] {
        auto entriesNow = state();
        entriesNow.removeIf([](const auto& entry) { return entry.key().startsWith(".kelvane-"); });
        return entriesNow;
    };
    for (const bool unnamed : {true, false}) {
        for (const bool duringTheRun : {false, true}) {
            for (std::size_t i = 0; i < std::size(appear); ++i) {
                SCOPED_TRACE(testing::Message() << "unnamed " << unnamed << " during the run "
                                                << duringTheRun << " case " << i);
                write("victim.txt", "victim");
                QFile::remove(path("out.bin"));
                OutputFaults faults;
                if (!unnamed) {
                    faults.withoutUnnamedFiles();
                }
                const QString out = path("out.bin");
                if (!duringTheRun) {
                    appear[i](out);
                }
                auto before = settled();
                const auto during = [&] {
                    appear[i](out);
                    before = settled();
                };
                EXPECT_EQ(lock(out, Replace::Nothing,
                               duringTheRun ? std::function<void()>(during) : nullptr),
                          Kind::OutputExists);
                EXPECT_EQ(state(), before);
                EXPECT_EQ(read(path("victim.txt")), "victim");
            }
        }
    }
}

// With consent, a live or dangling link is replaced by the new file itself: its target is not
// written, not created, not changed in mode.
TEST_F(SafeOutput, LinksAtTheOutputAreReplacedNeverWrittenThrough) {
    for (const bool unnamed : {true, false}) {
        for (const char* target : {"victim.txt", "nowhere.txt"}) {
            SCOPED_TRACE(testing::Message() << unnamed << target);
            write("victim.txt", "victim");
            QFile::setPermissions(path("victim.txt"), QFile::ReadOwner | QFile::WriteOwner);
            QFile::remove(path("out.bin"));
            QFile::link(path(target), path("out.bin"));
            OutputFaults faults;
            if (!unnamed) {
                faults.withoutUnnamedFiles();
            }
            auto expected = state();
            expected["out.bin"] = "file 644 " + locked;
            QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                              QFile::ReadOther);
            EXPECT_EQ(lock(path("out.bin"), Replace::Existing), std::nullopt);
            EXPECT_EQ(state(), expected);
        }
    }
}

// A folder, device, pipe or socket at the output is refused whatever the consent, also when it
// takes the output's place during the run, and it is left as it was.
TEST_F(SafeOutput, FoldersDevicesPipesAndSocketsAreNeverReplaced) {
    makeFifo("pipe");
    makeSocket("socket");
    QDir(dir.path()).mkdir("folder");
    const auto before = state();
    for (const Replace replace : {Replace::Nothing, Replace::Existing}) {
        for (const QString& output : {QString("/dev/null"), path("pipe"), path("socket"),
                                      path("folder"), path("folder/")}) {
            SCOPED_TRACE(output.toStdString());
            EXPECT_EQ(lock(output, replace), Kind::OutputNotFile);
            EXPECT_EQ(state(), before);
        }
    }
    write("out.bin", "old");
    EXPECT_EQ(lock(path("out.bin"), Replace::Existing,
                   [&] {
                       QFile::remove(path("out.bin"));
                       makeFifo("out.bin");
                   }),
              Kind::OutputNotFile);
    EXPECT_EQ(state()["out.bin"], "pipe");
}

// Every call that touches the output, failing at each of its uses with each error: the run
// either succeeds with exactly the right bytes or fails naming the error, and the folder and
// an old output are then exactly as they were.
TEST_F(SafeOutput, EveryFailingOutputCallLeavesTheFolderAsItWas) {
    const OutputCall calls[] = {OutputCall::Open,  OutputCall::Write, OutputCall::Flush,
                                OutputCall::Chmod, OutputCall::Close, OutputCall::Link,
                                OutputCall::Rename};
    int failedRuns = 0;
    for (const bool unnamed : {true, false}) {
        for (const bool replacing : {false, true}) {
            for (const OutputCall call : calls) {
                for (const int error : {EIO, ENOSPC, EDQUOT}) {
                    for (int nth = 1;; ++nth) {
                        SCOPED_TRACE(testing::Message() << "unnamed " << unnamed << " replacing "
                                                        << replacing << " call " << int(call)
                                                        << " error " << error << " use " << nth);
                        QFile::remove(path("out.bin"));
                        if (replacing) {
                            write("out.bin", "old output");
                        }
                        const auto before = state();
                        OutputFaults faults;
                        if (!unnamed) {
                            faults.withoutUnnamedFiles();
                        }
                        faults.failAt(call, nth, error);
                        try {
                            RndCrypt(source, path("out.bin"), "pw", {},
                                     replacing ? Replace::Existing : Replace::Nothing);
                            EXPECT_EQ(read(path("out.bin")), locked);
                            EXPECT_EQ(entries(), QStringList({"out.bin", "source.bin"}));
                        } catch (const EngineError& failure) {
                            ++failedRuns;
                            EXPECT_EQ(failure.kind(), Kind::Write);
                            EXPECT_TRUE(failure.message().contains(std::strerror(error)))
                                << failure.message().toStdString();
                            EXPECT_EQ(state(), before);
                        }
                        if (faults.uses(call) < nth) {
                            break;
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(failedRuns, 100);
}

// Whole chunks go to the disk directly where the file system takes it, and a partial last chunk
// through the cache, without a refused write; where direct writes are refused, the first
// refusal sends everything through the cache. The bytes are the same either way.
TEST_F(SafeOutput, DirectWritesFallBackToTheCache) {
    const int probe = ::open(qPrintable(dir.path()), O_RDONLY | O_DIRECTORY);
    const int tmp = ::openat(probe, ".", O_TMPFILE | O_WRONLY | O_DIRECT, 0600);
    const bool directHere = tmp >= 0;
    ::close(tmp);
    ::close(probe);
    for (const bool refused : {false, true}) {
        for (const qsizetype size : {2 * kMiB, 2 * kMiB + 5000}) {
            SCOPED_TRACE(testing::Message() << refused << ' ' << size);
            QByteArray data = content.first(size);
            source = write("source.bin", data);
            RndCryptBuffer(bytes(data), "pw");
            QFile::remove(path("out.bin"));
            OutputFaults faults;
            if (refused) {
                faults.refuseDirectWrites();
            }
            EXPECT_EQ(lock(path("out.bin"), Replace::Nothing), std::nullopt);
            EXPECT_EQ(read(path("out.bin")), data);
            if (directHere) {
                EXPECT_EQ(faults.refusedWrites(), refused ? 1 : 0);
                EXPECT_EQ(faults.directWrites(), refused ? 1 : 2);
            }
        }
    }
}

// A source must end as it began: the same size, not modified, not replaced. Otherwise the run
// fails and publishes nothing. A source deleted during the run was still read whole.
TEST_F(SafeOutput, ASourceThatChangesWhileItIsReadFailsTheRun) {
    const auto size = static_cast<std::uint64_t>(content.size());
    // Each change runs at every yield with the bytes done so far, and acts once.
    const struct {
        const char* what;
        std::function<void(const QString&, std::uint64_t done, int& step)> change;
        bool fails;
    } rows[] = {
        {"truncated",
         [](const QString& s, std::uint64_t, int& step) {
             if (step++ == 0) {
                 QFile::resize(s, 169);
             }
         },
         true},
        {"grown",
         [](const QString& s, std::uint64_t, int& step) {
             if (step++ == 0) {
                 QFile::resize(s, 3 * kMiB);
             }
         },
         true},
        {"grown, then cut back with its time restored",
         [&](const QString& s, std::uint64_t done, int& step) {
             static struct stat before {};
             if (step == 0) {
                 ::stat(qPrintable(s), &before);
                 QFile::resize(s, 3 * kMiB);
                 step = 1;
             } else if (step == 1 && done > size) {
                 QFile::resize(s, qint64(size));
                 const timespec times[2] = {before.st_atim, before.st_mtim};
                 ::utimensat(AT_FDCWD, qPrintable(s), times, 0);
                 step = 2;
             }
         },
         true},
        {"modified in place",
         [](const QString& s, std::uint64_t, int& step) {
             if (step++ == 0) {
                 QFile file(s);
                 file.open(QIODevice::ReadWrite);
                 file.write("X");
                 file.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                                  QFileDevice::FileModificationTime);
             }
         },
         true},
        {"replaced",
         [&](const QString& s, std::uint64_t, int& step) {
             if (step++ == 0) {
                 write("other.bin", content);
                 QFile::remove(s);
                 QFile::rename(path("other.bin"), s);
             }
         },
         true},
        {"deleted",
         [](const QString& s, std::uint64_t, int& step) {
             if (step++ == 0) {
                 QFile::remove(s);
             }
         },
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        source = write("source.bin", content);
        QFile::remove(path("out.bin"));
        std::optional<EngineError> failure;
        int step = 0;
        try {
            RndCrypt(source, path("out.bin"), "pw", [&](std::uint64_t done, std::uint64_t) {
                if (done > 0) {
                    row.change(source, done, step);
                }
            });
        } catch (const EngineError& error) {
            failure = error;
        }
        EXPECT_EQ(failure.has_value(), row.fails);
        if (failure) {
            EXPECT_EQ(failure->kind(), Kind::Read);
            EXPECT_TRUE(failure->message().endsWith("it changed while it was being read."));
            EXPECT_FALSE(entries().contains("out.bin"));
        } else {
            EXPECT_EQ(read(path("out.bin")), locked);
        }
        EXPECT_EQ(entries().filter(".kelvane"), QStringList());
    }
}

// Only a regular file (or a link to one) is read: a pipe without a writer does not block, a
// device is not read to the end of the disk, and nothing is created for any of them.
TEST_F(SafeOutput, OnlyRegularFilesAreSources) {
    makeFifo("pipe");
    makeSocket("socket");
    QFile::link(source, path("link.bin"));
    const std::pair<QString, const char*> rows[] = {
        {path("pipe"), "it is a pipe (FIFO), not a file."},
        {"/dev/zero", "it is a device, not a file."},
        {"/dev/null", "it is a device, not a file."},
        {path("socket"), "it is a socket, not a file."},
        {dir.path(), "it is a folder."},
    };
    const auto before = state();
    for (const auto& [input, reason] : rows) {
        SCOPED_TRACE(input.toStdString());
        try {
            RndCrypt(input, path("out.bin"), "pw");
            ADD_FAILURE() << "not refused";
        } catch (const EngineError& error) {
            EXPECT_EQ(error.kind(), Kind::Read);
            EXPECT_EQ(error.message(), "Cannot read " + input + ": " + reason);
        }
        EXPECT_EQ(state(), before);
    }
    EXPECT_EQ(RndCrypt(path("link.bin"), path("out.bin"), "pw"), content.size());
    EXPECT_EQ(read(path("out.bin")), locked);
}

// The new file takes the source's read/write/execute bits only, less the umask, and never more
// than a file it replaces.
TEST_F(SafeOutput, TheNewFileIsNeverMoreOpenThanItsSourceTheUmaskOrWhatItReplaces) {
    const struct {
        mode_t source;
        mode_t mask;
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
            write("out.bin", "old");
            ASSERT_EQ(::chmod(qPrintable(path("out.bin")), mode_t(row.replaced)), 0);
        }
        const mode_t previous = ::umask(row.mask);
        const auto failure = lock(path("out.bin"), Replace::Existing);
        ::umask(previous);
        EXPECT_EQ(failure, std::nullopt);
        struct stat status {};
        ASSERT_EQ(::stat(qPrintable(path("out.bin")), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, row.expected);
    }
}

// Where the file system has no unnamed files, the temporary file has a short hidden name and is
// readable by its owner only from the moment it exists; an output whose name is near the
// file system's limit can still be written and replaced.
TEST_F(SafeOutput, ANamedTemporaryFileIsPrivateFromItsCreation) {
    ASSERT_EQ(::chmod(qPrintable(source), 0644), 0);
    OutputFaults faults;
    faults.withoutUnnamedFiles();
    QStringList temporary;
    mode_t mode = 0;
    faults.before([&](OutputCall call) {
        if (call == OutputCall::Write && temporary.isEmpty()) {
            temporary = entries().filter(".kelvane-");
            struct stat status {};
            ::stat(qPrintable(path(temporary.value(0))), &status);
            mode = status.st_mode & 07777;
        }
    });
    const QString longName = QString(239, 'n') + "_locked.bin";
    ASSERT_EQ(QFile::encodeName(longName).size(), 250);
    EXPECT_EQ(lock(path(longName), Replace::Nothing), std::nullopt);
    EXPECT_EQ(temporary.size(), 1);
    EXPECT_LT(temporary.value(0).size(), 20);
    EXPECT_EQ(mode, 0600u);
    EXPECT_EQ(lock(path(longName), Replace::Existing), std::nullopt);
    EXPECT_EQ(entries(), QStringList({longName, "source.bin"}));
    EXPECT_EQ(read(path(longName)), locked);
}

// A signal that ends the process during a run takes the named temporary file with it.
TEST_F(SafeOutput, ASignalDuringARunLeavesNoTemporaryFile) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signal);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            OutputFaults faults;
            faults.withoutUnnamedFiles();
            lock(path("out.bin"), Replace::Nothing, [&] {
                if (entries().filter(".kelvane-").size() == 1) {
                    ::raise(signal);
                }
            });
            ::_exit(0); // not ended by the signal: the wait below fails
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(entries(), QStringList({"source.bin"}));
    }
}

} // namespace
