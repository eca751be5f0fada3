#include "KelvaneVersion.h"
#include "RndCrypt.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

#include <poll.h>
#include <pty.h>
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
    QMap<QString, QByteArray> snapshot() const {
        QMap<QString, QByteArray> files;
        const auto filter = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
        for (const QString& name : QDir(dir.path()).entryList(filter)) {
            files.insert(name, read(name));
        }
        return files;
    }

    QTemporaryDir dir;
};

TEST_F(Cli, RefusesWithOneLineAndItsExitCodeLeavingEveryFileAsItWas) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    write("existing.txt", "old content");
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

TEST_F(Cli, ForceReplacesAnExistingOutputWithTheNewContentOnly) {
    write("out.bin", QByteArray(kSource.size() * 2, 'x'));
    ASSERT_EQ(run("lock report.txt -o out.bin --force --password-stdin", "pw\n").exitCode, 0);
    EXPECT_EQ(read("out.bin"), lockedWith("pw"));
}

TEST_F(Cli, TakesTheFirstStdinLineOrTheFileWithOneLineEndRemoved) {
    const struct {
        QByteArray given;
        QString fromStdin;
        QString fromFile;
    } rows[] = {
        {"pw\r\nother\n", "pw", "pw\r\nother"},
        {"pw\n\n", "pw", "pw\n"},
        {"pw\r", "pw\r", "pw\r"},
        {"\xe2\x82\xac\xc3\xa9\n", QStringLiteral("\u20ac\u00e9"), QStringLiteral("\u20ac\u00e9")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.given.toStdString());
        write("pw.txt", row.given);
        ASSERT_EQ(run("lock report.txt -o a --force --password-stdin", row.given).exitCode, 0);
        ASSERT_EQ(run("lock report.txt -o b --force --password-file pw.txt").exitCode, 0);
        EXPECT_EQ(read("a"), lockedWith(row.fromStdin));
        EXPECT_EQ(read("b"), lockedWith(row.fromFile));
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
