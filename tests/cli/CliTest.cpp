#include "KelvaneVersion.h"
#include "RndCrypt.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

namespace {

const QByteArray kSource =
    QByteArray("Quarterly figures\r\n\x00\x01\xff\x80 end", 27).repeated(3000);

struct Outcome {
    int exitCode = -1;
    QByteArray out;
    QByteArray err; // on a terminal: everything shown there, prompts included
    int prompts = 0;
    bool echoOnAfterwards = false;
};

// A run of the tool and what it must answer.
struct Row {
    const char* arguments;
    QByteArray input; // on a terminal: the entries typed at the prompts, one a line
    int exitCode;
    const char* message; // part of the one error line; nullptr on success
    int prompts = 0;
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override { write("report.txt", kSource); }

    // Runs kelvane-cli in the test's folder with `input` on stdin, or, `onTerminal`, on a
    // pseudo-terminal that types the next line of `input` at each password prompt.
    Outcome run(const QString& arguments, const QByteArray& input = {}, bool onTerminal = false) {
        int master = -1;
        int slave = -1;
        QProcess process;
        process.setWorkingDirectory(dir.path());
        if (onTerminal) {
            EXPECT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
            process.setChildProcessModifier([slave] { ::login_tty(slave); });
        }
        process.start(KELVANE_CLI_PATH, arguments.split(' ', Qt::SkipEmptyParts));
        process.write(onTerminal ? QByteArray() : input);
        process.closeWriteChannel();
        Outcome result;
        const auto drain = [&] {
            char buffer[4096];
            for (pollfd fd{master, POLLIN, 0}; ::poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN);) {
                result.err.append(buffer,
                                  std::max<ssize_t>(0, ::read(master, buffer, sizeof buffer)));
            }
        };
        for (QDeadlineTimer deadline(10000); onTerminal && !deadline.hasExpired();) {
            drain();
            for (; result.prompts < result.err.count("assword: "); ++result.prompts) {
                const QByteArray line = input.split('\n').value(result.prompts) + '\n';
                EXPECT_EQ(::write(master, line.data(), line.size()), line.size());
            }
            if (process.waitForFinished(20)) {
                break;
            }
        }
        process.waitForFinished(10000);
        drain();
        const bool exited =
            process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit;
        result.exitCode = exited ? process.exitCode() : -1;
        result.out = process.readAllStandardOutput();
        result.err += process.readAllStandardError();
        termios settings{};
        result.echoOnAfterwards = ::tcgetattr(slave, &settings) == 0 && (settings.c_lflag & ECHO);
        ::close(master);
        ::close(slave);
        return result;
    }

    void write(const QString& name, const QByteArray& content) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray read(const QString& name) const {
        QFile file(QDir(dir.path()).filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // What the engine itself makes of report.txt with `password`.
    QByteArray lockedWith(const QString& password) const {
        const QTemporaryDir other;
        kelvane::RndCrypt(dir.filePath("report.txt"), other.filePath("x"), password);
        return read(other.filePath("x"));
    }
    // Every entry of the folder: a file's bytes, a link's target; pipes are not opened.
    QMap<QString, QByteArray> snapshot() const {
        QMap<QString, QByteArray> files;
        const auto filter = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        for (const QFileInfo& entry : QDir(dir.path()).entryInfoList(filter)) {
            files.insert(entry.fileName(), entry.isSymLink()
                                               ? "-> " + entry.symLinkTarget().toUtf8()
                                           : entry.isFile() ? read(entry.fileName())
                                                            : QByteArray("(not a file)"));
        }
        return files;
    }

    QTemporaryDir dir;
};

TEST_F(Cli, RefusesWithOneLineAndItsExitCodeLeavingEveryFileAsItWas) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    write("existing.txt", "old content");
    ASSERT_TRUE(QFile::link(dir.filePath("existing.txt"), dir.filePath("live")));
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dir.filePath("dangling")));
    ASSERT_EQ(::mkfifo(qPrintable(dir.filePath("fifo")), 0644), 0);
    const auto before = snapshot();
    const Row rows[] = {
        {"lock missing.txt --password-stdin", "pw\n", 1, "Cannot read missing.txt"},
        {"unlock sub --password-stdin", "pw\n", 1, "folder"},
        {"lock report.txt -o none/out --password-stdin", "pw\n", 1, "Cannot write"},
        {"lock report.txt -o existing.txt --password-stdin", "pw\n", 3, "--force"},
        {"lock report.txt -o ./report.txt --force --password-stdin", "pw\n", 3, "source file"},
        {"lock report.txt -o sub --force --password-stdin", "pw\n", 3, "is a folder"},
        {"lock report.txt --password-stdin", "\r\n", 4, "empty"},
        {"lock report.txt -o existing.txt --force --password-stdin", "pass\xc5\x91\n", 4, "U+0151"},
        {"lock report.txt --password-stdin", "pass\xff\n", 4, "UTF-8"},
        {"lock report.txt --password-file nope", "", 4, "password file nope"},
        {"lock report.txt", "pw\npw\n", 4, "not a terminal"},
        {"", "", 2, "No command"},
        {"encrypt report.txt", "", 2, "encrypt"},
        {"lock --password-stdin", "pw\n", 2, "SOURCE"},
        {"lock report.txt x.txt --password-stdin", "pw\n", 2, "x.txt"},
        {"lock report.txt --fast", "pw\n", 2, "fast"},
        {"lock report.txt --password-stdin --password-file existing.txt", "pw\n", 2, "not both"},
        {"lock report.txt -o live --password-stdin", "pw\n", 3, "already exists; use --force"},
        {"lock report.txt -o dangling --password-stdin", "pw\n", 3, "already exists; use --force"},
        {"lock report.txt -o /dev/null --force --password-stdin", "pw\n", 3,
         "The output /dev/null is a device, not a file; it is never replaced."},
        {"lock report.txt -o fifo --force --password-stdin", "pw\n", 3, "is a pipe (FIFO)"},
        {"lock fifo --password-stdin", "pw\n", 1, "Cannot read fifo: it is a pipe (FIFO)"},
        {"lock /dev/zero -o zero --password-stdin", "pw\n", 1, "it is a device, not a file."},
        {"lock report.txt --password-file /dev/zero", "", 4, "too long"},
        {"lock report.txt --password=pw", "", 2, "never taken from the command line"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        const Outcome result = run(row.arguments, row.input);
        EXPECT_EQ(result.exitCode, row.exitCode);
        EXPECT_TRUE(result.out.isEmpty()) << result.out.constData();
        EXPECT_TRUE(result.err.startsWith("kelvane-cli: ") && result.err.contains(row.message) &&
                    result.err.indexOf('\n') == result.err.size() - 1)
            << result.err.constData();
        EXPECT_EQ(snapshot(), before);
    }
}

TEST_F(Cli, AsksOnTheTerminalWithoutEchoTwiceWhenLocking) {
    const Row rows[] = {
        {"lock report.txt -o out", "tango-17\ntango-17", 0, nullptr, 2},
        {"lock report.txt -o out", "tango-17\ntango-71", 4, "do not match", 2},
        {"lock report.txt -o out", "", 4, "empty", 1},
        {"unlock report.txt -o out", "tango-17", 0, nullptr, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.input.constData());
        QFile::remove(dir.filePath("out"));
        const Outcome result = run(row.arguments, row.input, true);
        EXPECT_EQ(result.exitCode, row.exitCode) << result.err.constData();
        EXPECT_EQ(result.prompts, row.prompts) << result.err.constData();
        EXPECT_FALSE(result.err.contains("tango") || result.err.contains("ocking"));
        EXPECT_TRUE(result.echoOnAfterwards);
        if (row.message == nullptr) {
            EXPECT_EQ(read("out"), lockedWith("tango-17"));
        } else {
            EXPECT_TRUE(result.err.contains(row.message)) << result.err.constData();
            EXPECT_FALSE(QFile::exists(dir.filePath("out")));
        }
    }
}

TEST_F(Cli, ShowsProgressOnlyOnATerminalForLargeFilesAndClearsIt) {
    write("big.bin", QByteArray(64 * 1024 * 1024, '\0'));
    write("pw", "pw");
    const Outcome terminal = run("lock big.bin -o a --password-file pw", {}, true);
    ASSERT_EQ(terminal.exitCode, 0) << terminal.err.constData();
    EXPECT_TRUE(terminal.err.startsWith("\rLocking 0%")) << terminal.err.constData();
    EXPECT_TRUE(terminal.err.endsWith(" \r") && !terminal.err.contains('\n'));
    const Outcome piped = run("lock big.bin -o b --password-file pw");
    EXPECT_EQ(piped.exitCode, 0);
    EXPECT_TRUE(piped.err.isEmpty());
}

TEST_F(Cli, LockThenUnlockWithDefaultNamesBesideTheSourceGivesItBack) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("my.docs"));
    write("my.docs/report.txt", kSource);
    const Outcome lock = run("lock my.docs/report.txt --password-stdin", "Secret 1\n");
    ASSERT_EQ(lock.exitCode, 0) << lock.err.constData();
    EXPECT_TRUE(lock.out.isEmpty() && lock.err.isEmpty());
    EXPECT_EQ(read("my.docs/report_locked.txt"), lockedWith("Secret 1"));
    EXPECT_EQ(run("unlock my.docs/report_locked.txt --password-stdin", "Secret 1\n").exitCode, 0);
    EXPECT_EQ(read("my.docs/report_unlocked.txt"), kSource);
}

// --force replaces a longer file with the new content only, and a live or dangling link with
// the new file itself: the link's target is never written.
TEST_F(Cli, ForceReplacesAnExistingOutputOrLinkWithTheNewFileOnly) {
    write("out.bin", QByteArray(kSource.size() * 2, 'x'));
    write("target.txt", "target");
    ASSERT_TRUE(QFile::link(dir.filePath("target.txt"), dir.filePath("live")));
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dir.filePath("dangling")));
    for (const char* output : {"out.bin", "live", "dangling"}) {
        SCOPED_TRACE(output);
        ASSERT_EQ(run(QString("lock report.txt -o %1 --force --password-stdin").arg(output), "pw\n")
                      .exitCode,
                  0);
        EXPECT_FALSE(QFileInfo(dir.filePath(output)).isSymLink());
        EXPECT_EQ(read(output), lockedWith("pw"));
    }
    EXPECT_EQ(read("target.txt"), "target");
    EXPECT_FALSE(QFile::exists(dir.filePath("nowhere")));
}

// Two runs for one output, both past the check that it is free before either writes: one
// publishes, the other is refused at its end and leaves that result alone.
TEST_F(Cli, TwoRunsRacingForOneOutputNeverReplaceEachOther) {
    write("big.bin", QByteArray(8 * 1024 * 1024, 'b'));
    std::vector<std::unique_ptr<QProcess>> runs;
    for (const char* fifo : {"pw1", "pw2"}) {
        ASSERT_EQ(::mkfifo(qPrintable(dir.filePath(fifo)), 0600), 0);
        runs.push_back(std::make_unique<QProcess>());
        runs.back()->setWorkingDirectory(dir.path());
        runs.back()->start(KELVANE_CLI_PATH,
                           {"lock", "big.bin", "-o", "same.bin", "--password-file", fifo});
    }
    // Each run opens its password file only after its checks; the open below waits for that.
    for (const char* fifo : {"pw1", "pw2"}) {
        QFile password(dir.filePath(fifo));
        ASSERT_TRUE(password.open(QIODevice::WriteOnly));
        password.write(fifo == std::string("pw1") ? "first\n" : "second\n");
    }
    QList<int> codes;
    for (const auto& process : runs) {
        ASSERT_TRUE(process->waitForFinished(20000));
        codes.append(process->exitCode());
    }
    std::sort(codes.begin(), codes.end());
    EXPECT_EQ(codes, (QList<int>{0, 3}));
    const int winner = runs[0]->exitCode() == 0 ? 0 : 1;
    EXPECT_TRUE(runs[1 - winner]->readAllStandardError().contains("already exists"));
    QByteArray expected = read("big.bin");
    {
        const QTemporaryDir other;
        kelvane::RndCrypt(dir.filePath("big.bin"), other.filePath("x"),
                          winner == 0 ? "first" : "second");
        expected = read(other.filePath("x"));
    }
    EXPECT_TRUE(read("same.bin") == expected);
}

TEST_F(Cli, TakesTheFirstLineWithoutItsLineEndByEveryRoute) {
    const struct {
        QByteArray given;
        QString password; // by either route
    } rows[] = {
        {"pw\r\nother\n", "pw"},
        {"pw\n\n", "pw"},
        {"pw", "pw"},
        {"pw\r", "pw\r"},
        {"p\rw\r\n", "p\rw"},
        {"\xe2\x82\xac\xc3\xa9\n", QStringLiteral("\u20ac\u00e9")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.given.toStdString());
        write("pw.txt", row.given);
        ASSERT_EQ(run("lock report.txt -o a --force --password-stdin", row.given).exitCode, 0);
        ASSERT_EQ(run("lock report.txt -o b --force --password-file pw.txt").exitCode, 0);
        EXPECT_EQ(read("a"), lockedWith(row.password));
        EXPECT_EQ(read("b"), lockedWith(row.password));
    }
}

TEST_F(Cli, HelpListsTheCommandsOptionsAndExitCodes) {
    const Outcome help = run("--help");
    EXPECT_EQ(help.exitCode, 0);
    for (const char* text :
         {"lock SOURCE", "unlock SOURCE", "--password-stdin", "--password-file", "--force",
          "--version", "Exit codes", "  0  ", "  1  ", "  2  ", "  3  ", "  4  "}) {
        EXPECT_TRUE(help.out.contains(text)) << text;
    }
    const Outcome version = run("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "kelvane-cli " KELVANE_VERSION "\n");
}

} // namespace

int main(int argc, char* argv[]) {
    const QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
