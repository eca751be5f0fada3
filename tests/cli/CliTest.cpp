#include "Arguments.h"
#include "BookmarkListFile.h"
#include "Charset.h"
#include "Cipher.h"
#include "EngineError.h"
#include "KelvaneVersion.h"
#include "RndCrypt.h"
#include "Runtime.h"
#include "vFile.h"
#include "vParser.h"
#include "vTools.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QListWidget>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

namespace {

const QByteArray kSource =
    QByteArray("Quarterly figures\r\n\x00\x01\xff\x80 end", 27).repeated(3000);

enum class Terminal {
    None,       // no controlling terminal at all: nobody can be asked for a password
    Whole,      // stdin, stdout and stderr are a pseudo-terminal, which is also /dev/tty
    PromptOnly, // /dev/tty and stderr are a pseudo-terminal; stdin and stdout are pipes
};

// One run of the tool.
struct Call {
    QString arguments{};
    QByteArray input{}; // standard input, unless it is the terminal
    Terminal terminal = Terminal::None;
    QByteArray typed{};       // on a terminal: the entry typed at each prompt, one a line
    QString appendStdoutTo{}; // a file that standard output appends to, instead of a pipe
    bool readerGone = false;  // standard output is a pipe whose reader has closed it
    QString program = KELVANE_CLI_PATH;
};

struct Outcome {
    int exitCode = -1; // -1: ended by a signal
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

QByteArray transformed(QByteArray content, const QString& password) {
    kelvane::RndCryptBuffer(
        {reinterpret_cast<std::uint8_t*>(content.data()), static_cast<std::size_t>(content.size())},
        kelvane::passwordCodes(password));
    return content;
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override { write("report.txt", kSource); }

    Outcome run(const QString& arguments, const QByteArray& input = {}, bool onTerminal = false) {
        return launch({.arguments = arguments,
                       .input = onTerminal ? QByteArray() : input,
                       .terminal = onTerminal ? Terminal::Whole : Terminal::None,
                       .typed = onTerminal ? input : QByteArray()});
    }

    // Runs kelvane-cli in the test's folder as `call` says; a terminal types the next line of
    // `call.typed` at each password prompt.
    Outcome launch(const Call& call) {
        int master = -1;
        int slave = -1;
        QProcess process;
        process.setWorkingDirectory(dir.path());
        const Terminal terminal = call.terminal;
        if (terminal != Terminal::None) {
            EXPECT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        }
        process.setChildProcessModifier([terminal, slave, readerGone = call.readerGone] {
            if (readerGone) {
                int ends[2];
                if (::pipe(ends) == 0) {
                    ::close(ends[0]);
                    ::dup2(ends[1], STDOUT_FILENO);
                    ::close(ends[1]);
                }
            }
            if (terminal == Terminal::None) {
                ::setsid(); // away from the terminal the tests may run in
                return;
            }
            const int in = ::dup(STDIN_FILENO);
            const int out = ::dup(STDOUT_FILENO);
            ::login_tty(slave);
            if (terminal == Terminal::PromptOnly) {
                ::dup2(in, STDIN_FILENO);
                ::dup2(out, STDOUT_FILENO);
            }
            ::close(in);
            ::close(out);
        });
        if (!call.appendStdoutTo.isEmpty()) {
            process.setStandardOutputFile(dir.filePath(call.appendStdoutTo), QIODevice::Append);
        }
        process.start(call.program, call.arguments.split(' ', Qt::SkipEmptyParts));
        process.write(call.input);
        process.closeWriteChannel();
        Outcome result;
        const auto drain = [&] {
            char buffer[4096];
            for (pollfd fd{master, POLLIN, 0}; ::poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN);) {
                result.err.append(buffer,
                                  std::max<ssize_t>(0, ::read(master, buffer, sizeof buffer)));
            }
        };
        for (QDeadlineTimer deadline(10000); master >= 0 && !deadline.hasExpired();) {
            drain();
            for (; result.prompts < result.err.count("assword: "); ++result.prompts) {
                const QByteArray line = call.typed.split('\n').value(result.prompts) + '\n';
                EXPECT_EQ(::write(master, line.data(), line.size()), line.size());
            }
            if (process.waitForFinished(20)) {
                break;
            }
        }
        process.waitForFinished(20000);
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
        QDir(dir.path()).mkpath(QFileInfo(dir.filePath(name)).path());
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QByteArray read(const QString& name) const {
        QFile file(QDir(dir.path()).filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // What the engine itself makes of report.txt with `password`.
    QByteArray lockedWith(const QString& password) const { return transformed(kSource, password); }
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
    // Empties the folder, for the next row of a table.
    void clearFolder() {
        QDir(dir.path()).removeRecursively();
        QDir().mkpath(dir.path());
    }
    // The folder as the tool sees it, for full paths in messages and lists.
    QString folder() const { return QDir(dir.path()).canonicalPath(); }

    QTemporaryDir dir;
};

// Usage errors point at the help.
#define SEE_HELP " (see kelvane-cli --help)"

TEST_F(Cli, RefusesWithOneLineAndItsExitCodeLeavingEveryFileAsItWas) {
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    write("existing.txt", "old content");
    ASSERT_TRUE(QFile::link(dir.filePath("existing.txt"), dir.filePath("live")));
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dir.filePath("dangling")));
    ASSERT_EQ(::mkfifo(qPrintable(dir.filePath("fifo")), 0644), 0);
    const auto before = snapshot();
    const Row rows[] = {
        {"lock missing.txt --password-stdin", "pw\n", 1,
         "Cannot read \"missing.txt\": No such file or directory."},
        {"unlock sub --password-stdin", "pw\n", 1, "Cannot read \"sub\": it is a folder."},
        {"lock report.txt -o none/out --password-stdin", "pw\n", 1,
         "Cannot write \"none/out\": No such file or directory."},
        {"lock report.txt -o existing.txt --password-stdin", "pw\n", 3,
         "The output \"existing.txt\" already exists; use --force to replace it."},
        {"lock report.txt -o ./report.txt --force --password-stdin", "pw\n", 3,
         "The output \"./report.txt\" is the source file itself; choose another output name."},
        {"lock report.txt -o sub --force --password-stdin", "pw\n", 3,
         "The output \"sub\" is a folder, not a file; it is never replaced."},
        {"lock report.txt --password-stdin", "\r\n", 4, "The password is empty."},
        {"lock report.txt -o existing.txt --force --password-stdin", "pass\xc5\x91\n", 4,
         "The password holds the character \"\xc5\x91\" (U+0151), which has no code in the "
         "Windows-1252 character set."},
        {"lock report.txt --password-stdin", "pass\xff\n", 4,
         "The password is not valid UTF-8 text."},
        {"lock report.txt --password-file nope", "", 4,
         "Cannot read the password file \"nope\": No such file or directory."},
        {"lock report.txt", "pw\npw\n", 4,
         "No password: there is no terminal to ask on; use --password-stdin or --password-file."},
        {"lock - -o out", "data", 4,
         "No password: there is no terminal to ask on; use --password-file."},
        {"", "", 2, "No command given: use lock, unlock or bookmarks." SEE_HELP},
        {"encrypt report.txt", "", 2,
         "Unknown command \"encrypt\": use lock, unlock or bookmarks." SEE_HELP},
        {"lock --password-stdin", "pw\n", 2, "No SOURCE file given." SEE_HELP},
        {"lock report.txt x.txt -o out --password-stdin", "pw\n", 2,
         "-o is only allowed with one SOURCE; use --output-dir for several." SEE_HELP},
        {"lock report.txt x.txt --output out --password-stdin", "pw\n", 2,
         "--output is only allowed with one SOURCE; use --output-dir for several." SEE_HELP},
        {"lock report.txt --output a -o b", "", 2, "--output is given more than once." SEE_HELP},
        {"lock report.txt -o x --output-dir sub", "", 2,
         "Give either -o or --output-dir, not both." SEE_HELP},
        {"lock report.txt --fast", "pw\n", 2, "Unknown option --fast." SEE_HELP},
        {"lock -qx report.txt", "pw\n", 2, "Unknown option -x." SEE_HELP},
        {"lock report.txt -o", "pw\n", 2, "Missing value after -o." SEE_HELP},
        {"lock report.txt --force=yes", "pw\n", 2, "Unexpected value after --force." SEE_HELP},
        {"lock report.txt --password-stdin --password-file existing.txt", "pw\n", 2,
         "Give either --password-stdin or --password-file, not both." SEE_HELP},
        {"lock - --password-file existing.txt", "data", 2,
         "Reading standard input (\"-\") needs -o OUTPUT: there is no name to derive one "
         "from." SEE_HELP},
        {"lock - - -o out --password-file existing.txt", "data", 2,
         "Standard input (\"-\") can be a SOURCE only once." SEE_HELP},
        {"lock - report.txt --password-file existing.txt", "data", 2,
         "Standard input (\"-\") is locked or unlocked on its own, with -o OUTPUT; give it as "
         "the only SOURCE." SEE_HELP},
        {"lock - -o out --password-stdin", "pw\ndata", 2,
         "--password-stdin cannot be used when a SOURCE is \"-\": standard input carries the "
         "data. Type the password at the prompt or use --password-file." SEE_HELP},
        {"bookmarks", "", 2,
         "No bookmarks command given: use list, add, remove, clear or lock-all." SEE_HELP},
        {"bookmarks nuke", "", 2,
         "Unknown bookmarks command \"nuke\": use list, add, remove, clear or lock-all." SEE_HELP},
        {"bookmarks add", "", 2, "No SOURCE file given." SEE_HELP},
        {"bookmarks add report.txt -o -", "", 2,
         "A bookmark needs a file as its output, not standard output (\"-\")." SEE_HELP},
        {"bookmarks list --force", "", 2, "--force does not apply to bookmarks list." SEE_HELP},
        {"bookmarks add report.txt --output-dir sub", "", 2,
         "--output-dir does not apply to bookmarks add." SEE_HELP},
        {"lock report.txt -o live --password-stdin", "pw\n", 3,
         "The output \"live\" already exists; use --force to replace it."},
        {"lock report.txt -o dangling --password-stdin", "pw\n", 3,
         "The output \"dangling\" already exists; use --force to replace it."},
        {"lock report.txt -o /dev/null --force --password-stdin", "pw\n", 3,
         "The output \"/dev/null\" is a device, not a file; it is never replaced."},
        {"lock report.txt -o fifo --force --password-stdin", "pw\n", 3,
         "The output \"fifo\" is a pipe (FIFO), not a file; it is never replaced."},
        {"lock fifo --password-stdin", "pw\n", 1,
         "Cannot read \"fifo\": it is a pipe (FIFO), not a file."},
        {"lock /dev/zero -o zero --password-stdin", "pw\n", 1,
         "Cannot read \"/dev/zero\": it is a device, not a file."},
        {"lock report.txt --password-file /dev/zero", "", 4,
         "The password in the file \"/dev/zero\" is too long: a password has at most 8421504 "
         "characters."},
        {"lock report.txt --password=pw", "", 2,
         "The password is never taken from the command line; use the terminal prompt, "
         "--password-stdin or --password-file." SEE_HELP},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        const Outcome result = run(row.arguments, row.input);
        EXPECT_EQ(result.exitCode, row.exitCode);
        EXPECT_TRUE(result.out.isEmpty()) << result.out.constData();
        EXPECT_EQ(result.err, QByteArray("kelvane-cli: ") + row.message + '\n');
        EXPECT_EQ(snapshot(), before);
    }
}

TEST_F(Cli, AsksOnTheTerminalWithoutEchoTwiceWhenLocking) {
    const Row rows[] = {
        {"lock report.txt -o out", "tango-17\ntango-17", 0, nullptr, 2},
        {"lock report.txt -o out", "tango-17\ntango-71", 4, "do not match", 2},
        {"lock report.txt -o out", "", 4, "empty", 1},
        {"unlock report.txt -o out", "tango-17", 0, nullptr, 1},
        // Ctrl-C at the prompt ends the run and gives the echo back.
        {"lock report.txt -o out", "\x03", -1, "Password: ", 1},
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

// The password is asked on the terminal while standard input and output carry the data, once
// for a whole run of several files (twice when locking).
TEST_F(Cli, AsksOnTheTerminalWhileStandardInputAndOutputArePipes) {
    write("b.txt", "bravo");
    const struct {
        const char* arguments;
        QByteArray input;
        const char* typed;
        int prompts;
        QByteArray out;
        QStringList written; // "output=what it holds": locked report.txt, or locked b.txt
    } rows[] = {
        {"lock - -o from-pipe", kSource, "tango\ntango", 2, "", {"from-pipe=report"}},
        {"unlock - -o -", lockedWith("tango"), "tango", 1, kSource, {}},
        {"lock report.txt -o -", "", "tango\ntango", 2, lockedWith("tango"), {}},
        {"lock report.txt b.txt",
         "",
         "tango\ntango",
         2,
         "",
         {"report_locked.txt=report", "b_locked.txt=b"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        const Outcome result = launch({.arguments = row.arguments,
                                       .input = row.input,
                                       .terminal = Terminal::PromptOnly,
                                       .typed = row.typed});
        EXPECT_EQ(result.exitCode, 0) << result.err.constData();
        EXPECT_EQ(result.prompts, row.prompts);
        EXPECT_TRUE(result.out == row.out);
        EXPECT_FALSE(result.err.contains("tango"));
        EXPECT_TRUE(result.echoOnAfterwards);
        for (const QString& written : row.written) {
            const QString output = written.section('=', 0, 0);
            EXPECT_EQ(read(output),
                      written.endsWith("=b") ? transformed("bravo", "tango") : lockedWith("tango"))
                << qPrintable(output);
        }
    }
    // Made from a pipe, the file has no source to take its permissions from: it stays private.
    EXPECT_EQ(QFileInfo(dir.filePath("from-pipe")).permissions() & 0x0077, 0);
}

// A stream in, a stream out, or both give exactly the bytes of the same file locked on disk,
// and unlocking the stream gives the original back.
TEST_F(Cli, PipesGiveTheBytesOfTheFileRoute) {
    QByteArray content(10 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(content.data()), content.size() / 4);
    write("random.bin", content);
    write("pw", "secret 7\n");
    ASSERT_EQ(run("lock random.bin -o file-route --password-file pw").exitCode, 0);
    const QByteArray locked = read("file-route");
    ASSERT_EQ(locked, transformed(content, "secret 7"));
    const struct {
        const char* arguments;
        QByteArray input;
        const char* output; // nullptr: standard output
        QByteArray expected;
    } rows[] = {
        {"lock - -o - --password-file pw", content, nullptr, locked},
        {"unlock - -o - --password-file pw", locked, nullptr, content},
        {"lock random.bin -o - --password-file pw", "", nullptr, locked},
        {"lock - -o from-pipe --password-file pw", content, "from-pipe", locked},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        const Outcome result = launch({.arguments = row.arguments, .input = row.input});
        EXPECT_EQ(result.exitCode, 0) << result.err.constData();
        EXPECT_TRUE(result.err.isEmpty()) << result.err.constData();
        EXPECT_TRUE((row.output ? read(row.output) : result.out) == row.expected);
    }
}

// However long the stream, the tool holds one chunk of it at a time.
TEST_F(Cli, StreamsInBoundedMemory) {
    QFile zeros(dir.filePath("zeros"));
    ASSERT_TRUE(zeros.open(QIODevice::WriteOnly) && zeros.resize(512ll * 1024 * 1024));
    zeros.close();
    write("pw", "pw");
    QProcess process;
    process.setStandardInputFile(zeros.fileName());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(KELVANE_CLI_PATH,
                  {"lock", "-", "-o", "-", "--password-file", dir.filePath("pw")});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().constData();
    rusage usage{};
    ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &usage), 0);
    EXPECT_LT(usage.ru_maxrss, 64 * 1024); // KiB; every child so far was as small
}

TEST_F(Cli, RefusesStandardOutputWhereItWouldHarmAndReportsAGoneReader) {
    write("pw", "pw");
    const struct {
        Call call;
        int exitCode;
        const char* message;
    } rows[] = {
        {{.arguments = "lock report.txt -o - --password-file pw", .terminal = Terminal::Whole},
         3,
         "kelvane-cli: Standard output is a terminal, and the output is binary; redirect it to "
         "a file or a pipe, or use --force.\r\n"},
        {{.arguments = "lock report.txt -o - --password-file pw", .appendStdoutTo = "report.txt"},
         3,
         "kelvane-cli: Standard output is the source file \"report.txt\" itself; nothing was "
         "written.\n"},
        {{.arguments = "lock report.txt -o - --password-file pw", .readerGone = true},
         1,
         "kelvane-cli: Cannot write standard output: Broken pipe.\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        const Outcome result = launch(row.call);
        EXPECT_EQ(result.exitCode, row.exitCode);
        EXPECT_EQ(result.err, row.message);
        EXPECT_EQ(read("report.txt"), kSource);
    }
    // On a terminal --force writes anyway.
    EXPECT_EQ(launch({.arguments = "lock report.txt -o - --force --password-file pw",
                      .terminal = Terminal::Whole})
                  .exitCode,
              0);
}

// a.txt, b.txt and sub/a.txt, locked with "pw" from standard input; an output named
// "output=source" holds the locked source afterwards, every other file is as it was.
TEST_F(Cli, LocksManyFilesGoingOnPastEachRefusal) {
    const struct {
        const char* arguments;
        const char* existing; // files there before, holding "old"
        int exitCode;
        QByteArray err;
        QStringList written;
        QByteArray password = "pw\n";
    } rows[] = {
        {"lock a.txt b.txt missing.txt",
         "",
         1,
         "kelvane-cli: Cannot read \"missing.txt\": No such file or directory.\n"
         "locked 2 of 3 files\n",
         {"a_locked.txt=a.txt", "b_locked.txt=b.txt"}},
        {"lock a.txt b.txt sub/a.txt",
         "b_locked.txt",
         3,
         "kelvane-cli: The output \"b_locked.txt\" already exists; use --force to replace it.\n"
         "locked 2 of 3 files\n",
         {"a_locked.txt=a.txt", "sub/a_locked.txt=sub/a.txt"}},
        {"lock a.txt b.txt -q", "", 0, "", {"a_locked.txt=a.txt", "b_locked.txt=b.txt"}},
        {"unlock a.txt b.txt",
         "",
         0,
         "unlocked 2 of 2 files\n",
         {"a_unlocked.txt=a.txt", "b_unlocked.txt=b.txt"}},
        {"lock a.txt b.txt --output-dir out",
         "out/keep",
         0,
         "locked 2 of 2 files\n",
         {"out/a_locked.txt=a.txt", "out/b_locked.txt=b.txt"}},
        {"lock a.txt sub/a.txt --output-dir out/",
         "out/keep",
         3,
         "kelvane-cli: The output \"out/a_locked.txt\" is also the output of an earlier "
         "SOURCE.\nlocked 1 of 2 files\n",
         {"out/a_locked.txt=a.txt"}},
        {"lock a.txt a_locked.txt --force",
         "a_locked.txt",
         3,
         "kelvane-cli: The output \"a_locked.txt\" is another SOURCE of this run, which it would "
         "overwrite.\nlocked 1 of 2 files\n",
         {"a_locked_locked.txt=a_locked.txt"}},
        {"lock a.txt b.txt --output-dir nowhere",
         "",
         1,
         "kelvane-cli: The output folder \"nowhere\" does not exist or is not a folder.\n",
         {}},
        {"lock a.txt missing.txt",
         "",
         4,
         "kelvane-cli: Cannot read \"missing.txt\": No such file or directory.\n"
         "kelvane-cli: The password is empty.\nlocked 0 of 2 files\n",
         {},
         "\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        clearFolder();
        write("a.txt", "alpha");
        write("b.txt", "bravo");
        write("sub/a.txt", "sub alpha");
        for (const QString& name : QString(row.existing).split(';', Qt::SkipEmptyParts)) {
            write(name, "old");
        }
        QMap<QString, QByteArray> expected = snapshot();
        const Outcome result = run(row.arguments + QString(" --password-stdin"), row.password);
        EXPECT_EQ(result.exitCode, row.exitCode);
        EXPECT_EQ(result.err, row.err);
        for (const QString& written : row.written) {
            const QString output = written.section('=', 0, 0);
            EXPECT_EQ(read(output), transformed(read(written.section('=', 1)), "pw"))
                << qPrintable(output);
            if (!output.contains('/')) {
                expected[output] = read(output);
            }
        }
        EXPECT_EQ(snapshot(), expected);
    }
}

// The bookmark list of a copy of the program, in its own folder: what one program saves is what
// the other reads, and every refusal leaves the file as it was.
class Bookmarks : public Cli {
protected:
    void SetUp() override {
        Cli::SetUp();
        program = dir.filePath("program/kelvane-cli");
        QDir(dir.path()).mkdir("program");
        ASSERT_TRUE(QFile::copy(KELVANE_CLI_PATH, program));
        kelvane::setProgramFolderForTesting(dir.filePath("program"));
    }
    void TearDown() override { kelvane::setProgramFolderForTesting(QString()); }

    Outcome bookmarks(const QString& arguments, const QByteArray& input = {}) {
        return launch({.arguments = "bookmarks " + arguments, .input = input, .program = program});
    }
    QString listFile() const { return dir.filePath("program/bookmarked.txt"); }

    // The list as the window loads it, and saved by the window.
    static QStringList windowReads() {
        QListWidget list;
        const kelvane::vFile file;
        const kelvane::vParser parser;
        const kelvane::vTools tools;
        kelvane::BookmarkListFile(list, file, parser, tools).LoadBookmarks();
        QStringList items;
        for (int i = 0; i < list.count(); ++i) {
            items.append(list.item(i)->text());
        }
        return items;
    }
    static void windowSaves(const QStringList& items) {
        QListWidget list;
        list.addItems(items);
        const kelvane::vFile file;
        const kelvane::vParser parser;
        const kelvane::vTools tools;
        EXPECT_TRUE(kelvane::BookmarkListFile(list, file, parser, tools).SaveBookmarks());
    }

    QString program;
};

TEST_F(Bookmarks, EditTheListTheWindowReads) {
    const QString d = folder();
    const QString first = d + "/report.txt=" + d + "/report_locked.txt";
    const QString second = d + "/report.txt=" + d + "/other.bin";
    const QString legacy = "C:\\Docs\\a.pdf=C:\\Docs\\a_locked.pdf";
    const QString equals = "A path that contains \"=\" cannot be bookmarked. Please choose "
                           "another file or output name.";
    const struct {
        const char* arguments;
        int exitCode;
        QString err;
        QStringList after; // the list as the window reads it afterwards
    } steps[] = {
        {"list", 0, "", {}},
        {"add report.txt", 0, "", {first}},
        {"add ./report.txt", 3, "\"" + first + "\": Bookmarked file already exists.", {first}},
        {"add sub/../report.txt -o other.bin", 0, "", {first, second}},
        {"add README", 3, "\"" + d + "/README\": Please select a valid file.", {first, second}},
        {"add a=b.txt", 3, "\"" + d + "/a=b.txt\": " + equals, {first, second}},
        {"add report.txt -o x=y", 3, "\"" + d + "/x=y\": " + equals, {first, second}},
        {"remove nothing.txt", 3, "No bookmark of \"nothing.txt\" found.", {first, second}},
        {"remove report.txt -o other.bin", 0, "", {first}},
        {"remove report.txt", 0, "", {}},
        {"add report.txt", 0, "", {first}},
        {"clear", 0, "", {}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.arguments);
        const QByteArray before = read(listFile());
        const Outcome result = bookmarks(step.arguments);
        EXPECT_EQ(result.exitCode, step.exitCode);
        EXPECT_EQ(result.err,
                  step.err.isEmpty() ? QByteArray() : "kelvane-cli: " + step.err.toUtf8() + '\n');
        EXPECT_EQ(windowReads(), step.after);
        if (step.exitCode != 0) {
            EXPECT_EQ(read(listFile()), before);
        }
    }
    EXPECT_EQ(read(listFile()), QByteArray()); // cleared: the file is there, with no entry

    // The reverse: the window saves, the command line lists and removes whole lines.
    windowSaves({first, legacy, second});
    EXPECT_EQ(bookmarks("list").out, (QStringList{first, legacy, second}.join('\n') + '\n'));
    EXPECT_EQ(bookmarks("remove " + legacy).exitCode, 0);
    EXPECT_EQ(windowReads(), (QStringList{first, second}));

    // A list in the legacy program's code page lists as the window shows it.
    write("program/bookmarked.txt", "C:\\caf\xe9.txt=C:\\caf\xe9_locked.txt\r\n");
    EXPECT_EQ(bookmarks("list").out, (windowReads().join('\n') + '\n').toUtf8());
    EXPECT_EQ(windowReads(), QStringList("C:\\caf\u00e9.txt=C:\\caf\u00e9_locked.txt"));
}

TEST_F(Bookmarks, AnUnreadableListIsLeftAsItIs) {
    write("program/bookmarked.txt", QByteArray("a.txt=b.txt\n\0", 13));
    for (const char* arguments :
         {"list", "add report.txt", "remove a.txt", "clear", "lock-all --password-stdin"}) {
        SCOPED_TRACE(arguments);
        const Outcome result = bookmarks(arguments, "pw\n");
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err, "kelvane-cli: The bookmark list \"" + listFile().toUtf8() +
                                  "\" could not be read (the file is not a text file); it is "
                                  "left as it is.\n");
        EXPECT_EQ(read(listFile()), QByteArray("a.txt=b.txt\n\0", 13));
    }
}

// Sources a.txt, b.txt, c.txt in the folder <d>; entries joined by ";". Each output named in
// `locked` ("output=source") holds the source locked with "pw", every other file is as it was,
// and the list itself is not changed.
TEST_F(Bookmarks, LockAllPlansSkipsAndReportsAsTheWindowDoes) {
    const QString done("Done. Process complete.\n");
    const QString chained(": the output is the file another bookmark locks, which would be "
                          "overwritten.");
    const struct {
        const char* entries;
        const char* existing; // outputs there before the run, holding "old"
        const char* options;
        int exitCode;
        QString err;
        const char* locked;
    } rows[] = {
        {"a.txt=a_locked.txt;gone.txt=gone_locked.txt", "", "", 1,
         "Done. Process complete.\n\nLocked 1 of 2 files.\n\nSkipped:\n<d>/gone.txt: source "
         "file not found.\n",
         "a_locked.txt=a.txt"},
        {"a.txt=a_locked.txt;b.txt=b_locked.txt", "b_locked.txt", "", 3,
         "kelvane-cli: 1 target file exists and would be replaced: \"<d>/b_locked.txt\". Use "
         "--force to replace it; nothing was locked.\n",
         ""},
        {"a.txt=a_locked.txt;b.txt=b_locked.txt", "a_locked.txt;b_locked.txt", "", 3,
         "kelvane-cli: 2 target files exist and would be replaced: \"<d>/a_locked.txt\", "
         "\"<d>/b_locked.txt\". Use --force to replace them; nothing was locked.\n",
         ""},
        {"a.txt=a_locked.txt;b.txt=b_locked.txt", "b_locked.txt", "--force", 0, done,
         "a_locked.txt=a.txt;b_locked.txt=b.txt"},
        {"a.txt=b.txt;b.txt=d.txt;c.txt=c.txt", "", "", 3,
         "Done. Process complete.\n\nLocked 1 of 3 files.\n\nSkipped:\n<d>/a.txt" + chained +
             "\n<d>/c.txt: the output is the source file itself.\n",
         "d.txt=b.txt"},
        {"a.txt=a_locked.txt", "", "-q", 0, "", "a_locked.txt=a.txt"},
        {"", "", "", 3, "kelvane-cli: There are no files to lock.\n", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.entries);
        clearFolder();
        QDir(dir.path()).mkdir("program");
        ASSERT_TRUE(QFile::copy(KELVANE_CLI_PATH, program));
        for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
            write(name, QByteArray(name).repeated(1000));
        }
        for (const QString& name : QString(row.existing).split(';', Qt::SkipEmptyParts)) {
            write(name, "old");
        }
        QStringList entries;
        for (const QString& entry : QString(row.entries).split(';', Qt::SkipEmptyParts)) {
            entries.append(dir.filePath(entry.section('=', 0, 0)) + '=' +
                           dir.filePath(entry.section('=', 1)));
        }
        windowSaves(entries);
        QMap<QString, QByteArray> expected = snapshot();
        const QByteArray list = read(listFile());

        const Outcome result =
            bookmarks(QString("lock-all --password-stdin ") + row.options, "pw\n");
        EXPECT_EQ(result.exitCode, row.exitCode);
        EXPECT_EQ(result.err, QString(row.err).replace("<d>", dir.path()).toUtf8());
        for (const QString& locked : QString(row.locked).split(';', Qt::SkipEmptyParts)) {
            const QString output = locked.section('=', 0, 0);
            expected[output] = transformed(read(locked.section('=', 1)), "pw");
        }
        EXPECT_EQ(snapshot(), expected);
        EXPECT_EQ(read(listFile()), list);
    }
}

TEST_F(Cli, ShowsProgressOnlyOnATerminalForLargeFilesAndClearsIt) {
    write("big.bin", QByteArray(64 * 1024 * 1024, '\0'));
    write("pw", "pw");
    const Outcome terminal = run("lock big.bin -o a --password-file pw", {}, true);
    ASSERT_EQ(terminal.exitCode, 0) << terminal.err.constData();
    EXPECT_TRUE(terminal.err.startsWith("\rLocking 0%")) << terminal.err.constData();
    EXPECT_TRUE(terminal.err.endsWith(" \r") && !terminal.err.contains('\n'));
    const Outcome quiet = run("lock big.bin -o b -q --password-file pw", {}, true);
    EXPECT_EQ(quiet.exitCode, 0);
    EXPECT_TRUE(quiet.err.isEmpty());
    const Outcome piped = run("lock big.bin -o c --password-file pw");
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
    EXPECT_TRUE(read("same.bin") == transformed(read("big.bin"), winner == 0 ? "first" : "second"));
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

// --help is generated from the parser: every option it knows is named there with its value and
// its description, beside the usage, the exit codes and the descriptor form of a password file.
TEST_F(Cli, HelpDescribesEveryOptionTheParserKnows) {
    const Outcome help = run("--help");
    EXPECT_EQ(help.exitCode, 0);
    const QString text = QString::fromUtf8(help.out).simplified();
    for (const QCommandLineOption& option : kelvane::cli::commandLineOptions()) {
        for (const QString& name : option.names()) {
            const QString typed = (name.size() == 1 ? "-" : "--") + name;
            EXPECT_TRUE(text.contains(QRegularExpression(
                "(?<![\\w-])" + QRegularExpression::escape(typed) + "(?![\\w-])")))
                << qPrintable(typed);
        }
        EXPECT_FALSE(option.description().isEmpty());
        EXPECT_TRUE(text.contains(option.description().simplified()))
            << qPrintable(option.description());
        EXPECT_TRUE(option.valueName().isEmpty() || text.contains('<' + option.valueName() + '>'));
    }
    for (const char* part : {"Usage: kelvane-cli", "lock SOURCE...", "unlock SOURCE...",
                             "bookmarks lock-all", "Exit status:", "/dev/fd/N", "/dev/tty"}) {
        EXPECT_TRUE(text.contains(part)) << part;
    }
    // Each exit code with its meaning, as scripts rely on them.
    for (const char* code :
         {"\n  0  done: every file locked or unlocked, every bookmark locked\n",
          "\n  1  a SOURCE or the bookmark list cannot be read, or an output or the\n",
          "\n  2  bad usage\n", "\n  3  refused: an output exists (use --force)",
          "\n  4  password problem: none available, empty, too long, a character"}) {
        EXPECT_TRUE(help.out.contains(code)) << code;
    }
}

// A password too long for its seed is a password problem (4), refused before any file is
// written, in the engine's words.
TEST_F(Cli, APasswordWhoseSeedOverflowsIsRefused) {
    const QByteArray password = QByteArray("a").repeated(18'000'000);
    kelvane::RandomSource scratch;
    ASSERT_THROW(kelvane::PasswordSeed(password, scratch), kelvane::EngineError);
    write("long.pw", password + '\n');
    const auto before = snapshot();
    const Outcome result = run("lock report.txt --password-file long.pw");
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(result.err,
              "kelvane-cli: The password is too long. Please choose a shorter password.\n");
    EXPECT_EQ(snapshot(), before);
}

TEST_F(Cli, VersionIsTheProjectVersion) {
    const Outcome version = run("--version");
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "kelvane-cli " KELVANE_VERSION "\n");
}

} // namespace

int main(int argc, char* argv[]) {
    // The window's list reader needs widgets, none of which is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
