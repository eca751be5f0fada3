// SPDX-License-Identifier: MIT
#include "KelvaneVersion.h"
#include "cli/Arguments.h"
#include "controls/vFile.h"
#include "controls/vParser.h"
#include "controls/vTools.h"
#include "platform/Runtime.h"
#include "tests/support/EngineTest.h"
#include "tests/support/OutputFaults.h"
#include "window/BookmarkListFile.h"

#include <QApplication>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>

#include <csignal>
#include <dirent.h>
#if defined(__SANITIZE_ADDRESS__)
#define KELVANE_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVANE_TEST_ASAN 1
#endif
#endif
#ifdef KELVANE_TEST_ASAN
#include <sanitizer/asan_interface.h>
#endif

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

namespace {

using namespace kelvane::test;

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
    QByteArray typed{};            // on a terminal: the entry typed at each prompt, one a line
    bool readerGone = false;       // standard output is a pipe whose reader has closed it
    QList<QByteArray> raw{};       // the arguments as bytes, in place of `arguments`
    QList<int> closed{};           // standard descriptors the tool starts without
    QByteArray laterInput{};       // written to standard input after a pause
    bool nonBlockingInput = false; // standard input in non-blocking mode, as some shells leave it
    rlim_t fileSizeLimit = RLIM_INFINITY; // beyond it a write fails with EFBIG
};

struct Outcome {
    int exitCode = -1; // -1: ended by a signal
    QByteArray out;
    QByteArray err; // on a terminal: everything shown there, prompts included
    int prompts = 0;
    bool echoOnAfterwards = false;
};

// The tool runs from a copy in a folder of its own, where it keeps its bookmark list; the
// window's list reader and writer look there too.
class Cli : public FileFixture {
protected:
    void SetUp() override {
        write("report.txt", kSource);
        ASSERT_TRUE(QFile::copy(KELVANE_CLI_PATH, program));
        write(marker, {}); // a portable copy, unless a test removes it
        kelvane::setProgramFolderForTesting(programDir.path());
    }

    Outcome run(const QString& arguments, const QByteArray& input = {}) {
        return launch({.arguments = arguments, .input = input});
    }

    // Runs kelvane-cli in the test's folder as `call` says; a terminal types the next line of
    // `call.typed` at each password prompt.
    Outcome launch(const Call& call) {
        int master = -1, slave = -1;
        if (call.terminal != Terminal::None) {
            EXPECT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
        }
        QProcess process;
        process.setWorkingDirectory(dir.path());
        // Made before the child starts: it only calls the system there.
        const QByteArray programBytes = QFile::encodeName(program);
        std::vector<char*> rawArgv{const_cast<char*>(programBytes.constData())};
        for (const QByteArray& argument : call.raw) {
            rawArgv.push_back(const_cast<char*>(argument.constData()));
        }
        rawArgv.push_back(nullptr);
        // In the child, before the tool starts; the descriptors made here close when it does.
        process.setChildProcessModifier([&call, slave, &rawArgv] {
            int ends[2];
            if (call.readerGone && ::pipe2(ends, O_CLOEXEC) == 0) {
                ::dup2(ends[1], STDOUT_FILENO);
            }
            for (const int fd : call.closed) {
                ::close(fd);
            }
            if (call.nonBlockingInput) {
                ::fcntl(STDIN_FILENO, F_SETFL, ::fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
            }
            if (call.fileSizeLimit != RLIM_INFINITY) {
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{call.fileSizeLimit, call.fileSizeLimit};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
            if (!call.raw.isEmpty()) {
                ::setsid();
#ifdef KELVANE_TEST_ASAN
                // Until it runs the tool, the child shares the test's memory: what this frame
                // marked on the stack is cleared first, as before any call that never returns.
                __asan_handle_no_return();
#endif
                ::execv(rawArgv[0], rawArgv.data());
                ::_exit(127);
            }
            if (call.terminal == Terminal::None) {
                ::setsid(); // away from the terminal the tests may run in
                return;
            }
            const int in = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
            const int out = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
            ::login_tty(slave);
            if (call.terminal == Terminal::PromptOnly) {
                ::dup2(in, STDIN_FILENO);
                ::dup2(out, STDOUT_FILENO);
            }
        });
        process.start(program, call.arguments.split(' ', Qt::SkipEmptyParts));
        if (!call.closed.contains(STDIN_FILENO)) {
            process.write(call.input);
        }
        if (!call.laterInput.isEmpty()) {
            process.waitForBytesWritten(5000);
            process.waitForFinished(300); // a pause, unless the run ends before it
            process.write(call.laterInput);
        }
        process.closeWriteChannel();
        Outcome result;
        for (int tick = 0; master >= 0 && tick < 500; ++tick) { // 10 s at most
            const bool finished = process.waitForFinished(20);
            char buffer[4096];
            for (pollfd fd{master, POLLIN, 0}; ::poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN);) {
                result.err.append(buffer,
                                  std::max<ssize_t>(0, ::read(master, buffer, sizeof buffer)));
            }
            for (; result.prompts < result.err.count("assword: "); ++result.prompts) {
                const QByteArray line = call.typed.split('\n').value(result.prompts) + '\n';
                EXPECT_EQ(::write(master, line.data(), line.size()), line.size());
            }
            if (finished) {
                break;
            }
        }
        process.waitForFinished(20000);
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

    // What the engine itself makes of report.txt with `password`.
    QByteArray lockedWith(const QString& password) const { return transformed(kSource, password); }
    // The list as the window loads it, or saves `items` as the window does, and whether it saved.
    static QStringList windowList(const std::optional<QStringList>& items = std::nullopt,
                                  bool saves = true) {
        QListWidget list;
        kelvane::BookmarkListFile bookmarks(list);
        if (items) {
            list.addItems(*items);
            EXPECT_EQ(bookmarks.SaveBookmarks(), saves);
        } else {
            bookmarks.LoadBookmarks();
        }
        QStringList shown;
        for (int i = 0; i < list.count(); ++i) {
            shown.append(list.item(i)->text());
        }
        return shown;
    }

    QTemporaryDir programDir;
    const QString program = programDir.filePath("kelvane-cli");
    const QString listFile = programDir.filePath("bookmarked.txt");
    const QString marker = programDir.filePath("kelvane-portable");
};

// Each refusal: its exit code, one whole line on standard error, nothing on standard output,
// and every file as it was. The password, when one is read, comes from standard input.
TEST_F(Cli, RefusesWithOneLineAndItsExitCodeLeavingEveryFileAsItWas) {
    write("existing.txt", "old content");
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), dir.filePath("dangling")));
    write("long.pw", QByteArray("a").repeated(18'000'000) + '\n'); // its seed overflows
    write("empty.pw", "\r\n");
    write("unusable.pw", "pass\xc5\x91\n");
    const auto before = state();
    const struct {
        const char* arguments;
        int exitCode;
        const char* message;
        QByteArray input = "pw\n";
    } rows[] = {
        {"lock missing.txt --password-stdin", 1,
         "Cannot read \"missing.txt\": No such file or directory."},
        {"lock report.txt -o none/out --password-stdin", 1,
         "Cannot write \"none/out\": No such file or directory."},
        {"lock report.txt -o existing.txt --password-stdin", 3,
         "The output \"existing.txt\" already exists; use --force to replace it."},
        {"lock report.txt -o dangling --password-stdin", 3,
         "The output \"dangling\" already exists; use --force to replace it."},
        {"lock report.txt -o ./report.txt --force --password-stdin", 3,
         "The output \"./report.txt\" is the source file itself; choose another output name."},
        {"lock report.txt -o /dev/null --force --password-stdin", 3,
         "The output \"/dev/null\" is a device, not a file; it is never replaced."},
        {"lock report.txt --password-stdin", 4, "The password is empty.", "\r\n"},
        {"lock report.txt -o existing.txt --force --password-stdin", 4,
         "The password holds the character \"\xc5\x91\" (U+0151), which has no code in the "
         "Windows-1252 character set.",
         "pass\xc5\x91\n"},
        {"lock report.txt --password-file empty.pw", 4, "The password is empty."},
        {"lock report.txt -o existing.txt --force --password-file unusable.pw", 4,
         "The password holds the character \"\xc5\x91\" (U+0151), which has no code in the "
         "Windows-1252 character set."},
        {"lock report.txt --password-file /dev/zero", 4,
         "The password in the file \"/dev/zero\" is too long: a password has at most 8421504 "
         "characters."},
        {"lock report.txt --password-file long.pw", 4,
         "The password is too long. Please choose a shorter password."},
        {"lock report.txt", 4,
         "No password: there is no terminal to ask on; use --password-stdin or --password-file."},
        {"", 2, "No command given: use lock, unlock or bookmarks."},
        {"lock report.txt x.txt -o out --password-stdin", 2,
         "-o is only allowed with one SOURCE; use --output-dir for several."},
        {"lock report.txt --password=pw", 2,
         "The password is never taken from the command line; use the terminal prompt, "
         "--password-stdin or --password-file."},
        {"lock report.txt --password-stdin --password-file existing.txt", 2,
         "Give either --password-stdin or --password-file, not both."},
        {"lock - --password-file existing.txt", 2,
         "Reading standard input (\"-\") needs -o OUTPUT: there is no name to derive one "
         "from."},
        {"lock - report.txt --password-file existing.txt", 2,
         "Standard input (\"-\") is locked or unlocked on its own, with -o OUTPUT; give it as "
         "the only SOURCE."},
        {"lock - -o out --password-stdin", 2,
         "--password-stdin cannot be used when a SOURCE is \"-\": standard input carries the "
         "data. Type the password at the prompt or use --password-file."},
        {"lock - -o out --password-file /dev/stdin", 2,
         "--password-file /dev/stdin cannot be used when a SOURCE is \"-\": it is standard "
         "input, which carries the data. Type the password at the prompt or use another file."},
        {"lock report.txt -o /dev/stdin --force --password-stdin", 3,
         "The output \"/dev/stdin\" is standard input, which is never written."},
        {"lock report.txt -o /proc/1/fd/1 --force --password-stdin", 3,
         "The output \"/proc/1/fd/1\" is an open descriptor, not a file; it is never replaced."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        const Outcome result = run(row.arguments, row.input);
        EXPECT_EQ(result.exitCode, row.exitCode);
        // Nothing on standard output; usage errors point at the help.
        const char* help = row.exitCode == 2 ? " (see kelvane-cli --help)" : "";
        EXPECT_EQ(result.out + result.err, QByteArray("kelvane-cli: ") + row.message + help + '\n');
        EXPECT_EQ(state(), before);
    }
}

// The password is asked on the terminal without echo, twice when locking, once for a whole run
// of several files; also while standard input and output carry the data, where a 10 MiB stream
// gives the bytes of the file route and back. Ctrl-C at the prompt ends the run and gives the
// echo back.
TEST_F(Cli, AsksOnTheTerminalWithoutEcho) {
    using enum Terminal;
    write("b.txt", "bravo");
    const QByteArray stream = randomBytes(10 * kMiB), lockedStream = transformed(stream, "tango");
    const QByteArray locked = lockedWith("tango"), none = "<missing>";
    const struct {
        Terminal terminal;
        const char* arguments;
        const char* typed;
        int exitCode, prompts;
        const char* message; // part of what the terminal shows
        QByteArray in, out;  // standard input and output unless they are the terminal
        QByteArray holds;    // the file "out" afterwards
    } rows[] = {
        {Whole, "lock report.txt -o out", "tango\ntango", 0, 2, "", {}, {}, locked},
        {Whole, "lock report.txt -o out", "tango\ntango-71", 4, 2, "not match", {}, {}, none},
        {Whole, "lock report.txt -o out", "\x03", -1, 1, "Password: ", {}, {}, none},
        {PromptOnly, "lock - -o -", "tango\ntango", 0, 2, "", stream, lockedStream, none},
        {PromptOnly, "unlock - -o -", "tango", 0, 1, "", lockedStream, stream, none},
        {PromptOnly, "lock report.txt b.txt", "tango\ntango", 0, 2, "", {}, {}, none},
        {PromptOnly, "lock - -o out", "tango\ntango", 0, 2, "", kSource, {}, locked},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments + std::string(" typing ") + row.typed);
        QFile::remove(path("out"));
        const Outcome result = launch({.arguments = row.arguments,
                                       .input = row.in,
                                       .terminal = row.terminal,
                                       .typed = row.typed});
        EXPECT_EQ(result.exitCode, row.exitCode) << result.err.constData();
        EXPECT_EQ(result.prompts, row.prompts) << result.err.constData();
        EXPECT_FALSE(result.err.contains("tango") || result.err.contains("ocking"));
        EXPECT_TRUE(result.err.contains(row.message) && result.echoOnAfterwards);
        EXPECT_TRUE(result.out == row.out && read("out") == row.holds);
    }
    EXPECT_EQ(read("b_locked.txt"), transformed("bravo", "tango"));
    // Made from a pipe (the last row), the file has no source to take its permissions from: it
    // stays private.
    EXPECT_EQ(QFileInfo(path("out")).permissions() & 0x0077, 0);
}

// A large file shows its progress on a terminal, redrawn in place and cleared at the end; on a
// pipe, or with -q, nothing is shown.
TEST_F(Cli, ShowsProgressOnlyOnATerminalAndClearsIt) {
    write("big.bin", QByteArray(64 * kMiB, '\0'));
    write("pw", "pw");
    const struct {
        Terminal terminal;
        const char* arguments;
        bool shown;
    } rows[] = {
        {Terminal::Whole, "lock big.bin -o a --password-file pw", true},
        {Terminal::Whole, "lock big.bin -o b --password-file pw -q", false},
        {Terminal::None, "lock big.bin -o c --password-file pw", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments);
        const Outcome result = launch({.arguments = row.arguments, .terminal = row.terminal});
        EXPECT_EQ(result.exitCode, 0) << result.err.constData();
        EXPECT_EQ(result.err.startsWith("\rLocking 0%") && result.err.endsWith(" \r") &&
                      !result.err.contains('\n'),
                  row.shown)
            << result.err.constData();
        EXPECT_EQ(result.err.isEmpty(), !row.shown);
    }
}

// A stream that arrives slowly on a non-blocking standard input (as some shells and ssh leave
// it) is waited for: "no data yet" is not its end.
TEST_F(Cli, WaitsForAStreamThatArrivesSlowly) {
    write("pw", "pw\n");
    const Outcome result = launch({.arguments = "lock - -o out --password-file pw",
                                   .input = kSource.first(1000),
                                   .laterInput = kSource.sliced(1000),
                                   .nonBlockingInput = true});
    EXPECT_EQ(result.exitCode, 0) << result.err.constData();
    EXPECT_EQ(read("out"), lockedWith("pw"));
}

// A file streamed to standard output is checked again at its end: rewritten in place while the
// reader holds the run back, it fails the run.
TEST_F(Cli, ASourceStreamedToStandardOutputIsCheckedAtItsEnd) {
    write("pw", "pw\n");
    write("big.bin", randomBytes(4 * kMiB));
    int ends[2];
    ASSERT_EQ(::pipe2(ends, O_CLOEXEC), 0);
    QProcess process;
    process.setWorkingDirectory(dir.path());
    process.setChildProcessModifier([&ends] { ::dup2(ends[1], STDOUT_FILENO); });
    process.start(program, {"unlock", "big.bin", "-o", "-", "--password-file", "pw"});
    ::close(ends[1]);
    char buffer[65536];
    EXPECT_EQ(::read(ends[0], buffer, 1), 1); // the source is open and being read
    {
        QFile file(path("big.bin"));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.write("X") == 1);
        file.setFileTime(QDateTime::currentDateTime().addSecs(-60),
                         QFileDevice::FileModificationTime);
    }
    while (::read(ends[0], buffer, sizeof buffer) > 0) {
    }
    ::close(ends[0]);
    ASSERT_TRUE(process.waitForFinished(20000));
    EXPECT_EQ(process.exitCode(), 1);
    EXPECT_EQ(process.readAllStandardError(),
              "kelvane-cli: Cannot read \"big.bin\": it changed while it was being read.\n");
}

// Binary output to a terminal is refused unless forced; a reader that has gone is a failure.
TEST_F(Cli, RefusesATerminalAsStandardOutputAndReportsAGoneReader) {
    write("pw", "secret 7\n");
    const QString toOutput = "lock report.txt -o - --password-file pw";
    const Outcome terminal = launch({.arguments = toOutput, .terminal = Terminal::Whole});
    EXPECT_EQ(terminal.exitCode, 3);
    EXPECT_EQ(terminal.err, "kelvane-cli: Standard output is a terminal, and the output is "
                            "binary; redirect it to a file or a pipe, or use --force.\r\n");
    const Outcome gone = launch({.arguments = toOutput, .readerGone = true});
    EXPECT_EQ(gone.exitCode, 1);
    EXPECT_EQ(gone.err, "kelvane-cli: Cannot write standard output: Broken pipe.\n");
    EXPECT_EQ(launch({.arguments = toOutput + " --force", .terminal = Terminal::Whole}).exitCode,
              0);
}

// Sources a.txt, b.txt, c.txt, sub/a.txt and big.bin, locked with "pw" from standard input, as
// named on the command line or as the bookmarks of the list the window saved. The exit code is
// the worst one met. Each output written holds its source locked; every other file, and the
// list, are as they were.
TEST_F(Cli, LocksManyFilesAndTheBookmarksGoingOnPastEachRefusal) {
    struct Bookmark {
        QString source, output;
    };
    struct Written {
        QString output, source;
    };
    const QString d = dir.path();
    const struct {
        QString arguments;
        std::vector<Bookmark> list;
        QStringList existing; // files there before, holding "old"
        int exitCode;
        QString err;
        std::vector<Written> written;
        rlim_t fileSizeLimit = RLIM_INFINITY;
    } rows[] = {
        {"lock a.txt b.txt missing.txt sub/a.txt",
         {},
         {"b_locked.txt"},
         3,
         "kelvane-cli: The output \"b_locked.txt\" already exists; use --force to replace it.\n"
         "kelvane-cli: Cannot read \"missing.txt\": No such file or directory.\n"
         "locked 2 of 4 files\n",
         {{"a_locked.txt", "a.txt"}, {"sub/a_locked.txt", "sub/a.txt"}}},
        {"lock a.txt b.txt --output-dir out -q",
         {},
         {"out/keep"},
         0,
         "",
         {{"out/a_locked.txt", "a.txt"}, {"out/b_locked.txt", "b.txt"}}},
        {"lock a.txt sub/a.txt --output-dir out/",
         {},
         {"out/keep"},
         3,
         "kelvane-cli: The output \"out/a_locked.txt\" is also the output of an earlier "
         "SOURCE.\nlocked 1 of 2 files\n",
         {{"out/a_locked.txt", "a.txt"}}},
        {"lock a.txt a_locked.txt --force",
         {},
         {"a_locked.txt"},
         3,
         "kelvane-cli: The output \"a_locked.txt\" is another SOURCE of this run, which it "
         "would overwrite.\nlocked 1 of 2 files\n",
         {{"a_locked_locked.txt", "a_locked.txt"}}},
        {"lock a.txt big.bin",
         {},
         {},
         1,
         "kelvane-cli: Cannot write \"big_locked.bin\": File too large.\nlocked 1 of 2 files\n",
         {{"a_locked.txt", "a.txt"}},
         kMiB},
        {"bookmarks lock-all -q",
         {{"a.txt", "a_locked.txt"}, {"gone.txt", "gone_locked.txt"}},
         {},
         1,
         "Done. Process complete.\n\nLocked 1 of 2 files.\n\nSkipped:\n" + d +
             "/gone.txt: source file not found.\n",
         {{"a_locked.txt", "a.txt"}}},
        {"bookmarks lock-all",
         {{"a.txt", "a_locked.txt"}, {"b.txt", "b_locked.txt"}},
         {"a_locked.txt", "b_locked.txt"},
         3,
         "kelvane-cli: 2 target files exist and would be replaced: \"" + d + "/a_locked.txt\", \"" +
             d + "/b_locked.txt\". Use --force to replace them; nothing was locked.\n",
         {}},
        {"bookmarks lock-all",
         {{"a.txt", "a_locked.txt"}, {"b.txt", "b_locked.txt"}},
         {"b_locked.txt"},
         3,
         "kelvane-cli: 1 target file exists and would be replaced: \"" + d +
             "/b_locked.txt\". Use --force to replace it; nothing was locked.\n",
         {}},
        {"bookmarks lock-all --force -q",
         {{"a.txt", "a_locked.txt"}, {"b.txt", "b_locked.txt"}},
         {"b_locked.txt"},
         0,
         "",
         {{"a_locked.txt", "a.txt"}, {"b_locked.txt", "b.txt"}}},
        {"bookmarks lock-all",
         {{"a.txt", "a_locked.txt"}, {"c.txt", "c_locked.txt"}},
         {},
         0,
         "Done. Process complete.\n",
         {{"a_locked.txt", "a.txt"}, {"c_locked.txt", "c.txt"}}},
        {"bookmarks lock-all",
         {{"a.txt", "b.txt"}, {"b.txt", "d.txt"}, {"c.txt", "c.txt"}, {"c.txt", "d.txt"}},
         {},
         3,
         "Done. Process complete.\n\nLocked 1 of 4 files.\n\nSkipped:\n" + d +
             "/a.txt: the output is the file another bookmark locks, which would be "
             "overwritten.\n" +
             d + "/c.txt: the output is the source file itself.\n" + d +
             "/c.txt: an earlier bookmark writes the same output file.\n",
         {{"d.txt", "b.txt"}}},
        {"bookmarks lock-all", {}, {}, 3, "kelvane-cli: There are no files to lock.\n", {}},
        // alias is a link to the folder sub: two outputs that do not exist yet meet there.
        {"lock sub/x.txt alias/x_unlocked.txt --force",
         {},
         {"sub/x.txt", "sub/x_unlocked.txt"},
         3,
         "kelvane-cli: The output \"alias/x_locked.txt\" is also the output of an earlier "
         "SOURCE.\nlocked 1 of 2 files\n",
         {{"sub/x_locked.txt", "sub/x.txt"}}},
        {"bookmarks lock-all",
         {{"a.txt", "sub/o.txt"}, {"b.txt", "alias/o.txt"}},
         {},
         3,
         "Done. Process complete.\n\nLocked 1 of 2 files.\n\nSkipped:\n" + d +
             "/b.txt: an earlier bookmark writes the same output file.\n",
         {{"sub/o.txt", "a.txt"}}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.toStdString());
        QDir(dir.path()).removeRecursively();
        for (const char* name : {"a.txt", "b.txt", "c.txt", "sub/a.txt"}) {
            write(name, name);
        }
        write("big.bin", QByteArray(2 * kMiB, 'b'));
        ASSERT_TRUE(QFile::link(path("sub"), path("alias")));
        for (const QString& name : row.existing) {
            write(name, "old");
        }
        QStringList entries;
        for (const Bookmark& bookmark : row.list) {
            entries.append(path(bookmark.source) + '=' + path(bookmark.output));
        }
        windowList(entries);
        auto expected = state();
        const QByteArray list = read(listFile);
        const Outcome result = launch({.arguments = row.arguments + " --password-stdin",
                                       .input = "pw\n",
                                       .fileSizeLimit = row.fileSizeLimit});
        EXPECT_EQ(result.exitCode, row.exitCode);
        EXPECT_EQ(result.err, row.err.toUtf8());
        for (const Written& written : row.written) {
            EXPECT_EQ(read(written.output), transformed(read(written.source), "pw"));
            if (!written.output.contains('/')) {
                expected[written.output] = state().value(written.output);
            }
        }
        EXPECT_EQ(state(), expected);
        EXPECT_EQ(read(listFile), list);
    }
}

// A source that goes after the run has begun (here while the password is awaited) is skipped
// as the window skips it, not reported as a failure.
TEST_F(Cli, LockAllSkipsASourceThatWentAfterTheRunBegan) {
    write("a.txt", "a");
    write("b.txt", "b");
    windowList(QStringList{path("a.txt") + '=' + path("a_locked.txt"),
                           path("b.txt") + '=' + path("b_locked.txt")});
    ASSERT_EQ(::mkfifo(qPrintable(path("pw")), 0600), 0);
    QProcess lockAll;
    lockAll.start(program, {"bookmarks", "lock-all", "--password-file", path("pw")});
    {
        QFile password(path("pw")); // opens once the run reads the password
        ASSERT_TRUE(password.open(QIODevice::WriteOnly));
        ASSERT_TRUE(QFile::remove(path("b.txt")));
        ASSERT_EQ(password.write("pw\n"), 3);
    }
    ASSERT_TRUE(lockAll.waitForFinished(20000));
    EXPECT_EQ(lockAll.exitCode(), 1);
    EXPECT_EQ(lockAll.readAllStandardError(),
              "Done. Process complete.\n\nLocked 1 of 2 files.\n\nSkipped:\n" +
                  path("b.txt").toUtf8() + ": source file not found.\n");
    EXPECT_EQ(read("a_locked.txt"), transformed("a", "pw"));
}

// What one program saves is what the other reads, and every refusal leaves the file as it was.
TEST_F(Cli, BookmarksEditTheListTheWindowReads) {
    const QString d = QDir(dir.path()).canonicalPath();
    const QString first = d + "/report.txt=" + d + "/report_locked.txt";
    const QString second = d + "/report.txt=" + d + "/other.bin";
    const QString legacy = "C:\\Docs\\a.pdf=C:\\Docs\\a_locked.pdf";
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
        {"add report.txt -o x=y",
         3,
         "\"" + d +
             "/x=y\": A path that contains \"=\" cannot be bookmarked. Please choose "
             "another file or output name.",
         {first, second}},
        {"remove report.txt -o other.bin", 0, "", {first}},
        {"remove report.txt", 0, "", {}},
        {"add report.txt", 0, "", {first}},
        {"clear", 0, "", {}},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.arguments);
        const QByteArray before = read(listFile);
        const Outcome result = run("bookmarks " + QString(step.arguments));
        EXPECT_EQ(result.exitCode, step.exitCode);
        EXPECT_EQ(result.err,
                  step.err.isEmpty() ? QByteArray() : "kelvane-cli: " + step.err.toUtf8() + '\n');
        EXPECT_EQ(windowList(), step.after);
        EXPECT_TRUE(step.exitCode == 0 || read(listFile) == before);
    }
    EXPECT_EQ(read(listFile), QByteArray()); // cleared: the file is there, with no entry

    // The reverse: the window saves, the command line lists and removes whole lines.
    windowList(QStringList{first, legacy, second});
    EXPECT_EQ(run("bookmarks list").out, (QStringList{first, legacy, second}.join('\n') + '\n'));
    EXPECT_EQ(run("bookmarks remove " + legacy).exitCode, 0);
    EXPECT_EQ(windowList(), (QStringList{first, second}));
    {
        // A save whose flush fails says so, and leaves the list as it was.
        OutputFaults faults;
        faults.failAt(OutputCall::Flush, 1, EIO);
        windowList(QStringList{legacy}, false);
    }
    EXPECT_EQ(windowList(), (QStringList{first, second}));

    // A list in the legacy program's code page lists as the window shows it.
    write(listFile, "C:\\caf\xe9.txt=C:\\caf\xe9_locked.txt\r\n");
    EXPECT_EQ(run("bookmarks list").out, "C:\\caf\u00e9.txt=C:\\caf\u00e9_locked.txt\n");
    EXPECT_EQ(windowList(), QStringList("C:\\caf\u00e9.txt=C:\\caf\u00e9_locked.txt"));

    // A list that is not text is left as it is, whatever the command.
    write(listFile, QByteArray("a.txt=b.txt\n\0", 13));
    for (const char* arguments : {"list", "add report.txt", "clear", "lock-all --password-stdin"}) {
        SCOPED_TRACE(arguments);
        const Outcome result = run("bookmarks " + QString(arguments), "pw\n");
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_EQ(result.err, "kelvane-cli: The bookmark list \"" + listFile.toUtf8() +
                                  "\" could not be read (the file is not a text file); it is "
                                  "left as it is.\n");
        EXPECT_EQ(read(listFile), QByteArray("a.txt=b.txt\n\0", 13));
    }
}

// Many adds at once, each by a program of its own: every add that reported success is in the
// list afterwards, whoever saved last.
TEST_F(Cli, ConcurrentAddsKeepEveryEntry) {
    constexpr int kAdds = 20;
    std::vector<std::unique_ptr<QProcess>> adds;
    QStringList expected;
    for (int i = 0; i < kAdds; ++i) {
        const QString name = QStringLiteral("f%1.txt").arg(i);
        expected.append(path(name) + '=' + path(QStringLiteral("f%1_locked.txt").arg(i)));
        adds.push_back(std::make_unique<QProcess>());
        adds.back()->setWorkingDirectory(dir.path());
        adds.back()->start(program, {"bookmarks", "add", name});
    }
    for (const auto& add : adds) {
        EXPECT_TRUE(add->waitForFinished(30000));
        EXPECT_EQ(add->exitCode(), 0) << add->readAllStandardError().constData();
    }
    QStringList listed = windowList();
    listed.sort();
    expected.sort();
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(entries(), QStringList{"report.txt"}); // no lock or temporary file left
    EXPECT_EQ(QDir(programDir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"bookmarked.txt", "kelvane-cli", "kelvane-portable"}));
}

// Two runs for one output, both past every check that it is free before either writes: one
// publishes, the other is refused at its end and leaves that result alone.
TEST_F(Cli, TwoRunsRacingForOneOutputNeverReplaceEachOther) {
    write("big.bin", QByteArray(8 * kMiB, 'b'));
    QProcess runs[2];
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(::mkfifo(qPrintable(path(QString::number(i))), 0600), 0);
        runs[i].setWorkingDirectory(dir.path());
        runs[i].start(program, {"lock", "big.bin", "-o", "same", "--password-file",
                                path(QString::number(i))});
    }
    // Each run opens its password file only after its checks; the open below waits for that.
    for (int i = 0; i < 2; ++i) {
        QFile password(path(QString::number(i)));
        ASSERT_TRUE(password.open(QIODevice::WriteOnly) && password.write("pw\n") == 3);
    }
    ASSERT_TRUE(runs[0].waitForFinished(20000) && runs[1].waitForFinished(20000));
    const int loser = runs[0].exitCode() == 0 ? 1 : 0;
    EXPECT_EQ(runs[0].exitCode() + runs[1].exitCode(), 3);
    EXPECT_EQ(runs[loser].readAllStandardError(),
              "kelvane-cli: The output \"same\" already exists.\n");
    EXPECT_TRUE(read("same") == transformed(read("big.bin"), "pw"));
}

// Both routes take the first line without its line end. Forced, a live or dangling link at the
// output is replaced by the new file itself: the link's target is never written.
TEST_F(Cli, TakesTheFirstLineWithoutItsLineEndByEveryRoute) {
    write("target.txt", "target");
    ASSERT_TRUE(QFile::link(path("target.txt"), path("a")) &&
                QFile::link(path("nowhere"), path("b")));
    const struct {
        QByteArray given;
        QString password;
    } rows[] = {{"pw\r\nother\n", "pw"},
                {"pw\n\n", "pw"},
                {"p\rw\r\n", "p\rw"},
                {"\xe2\x82\xac\xc3\xa9\n", QStringLiteral("\u20ac\u00e9")}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.given.toStdString());
        write("pw.txt", row.given);
        EXPECT_EQ(run("lock report.txt -o a --force --password-stdin", row.given).exitCode, 0);
        EXPECT_EQ(run("lock report.txt -o b --force --password-file pw.txt").exitCode, 0);
        EXPECT_EQ(read("a"), lockedWith(row.password));
        EXPECT_EQ(read("b"), lockedWith(row.password));
    }
    EXPECT_FALSE(QFileInfo(path("a")).isSymLink() || QFileInfo(path("b")).isSymLink());
    EXPECT_EQ(read("target.txt"), "target");
    EXPECT_FALSE(QFile::exists(path("nowhere")));
}

// File names are bytes: a name that is not UTF-8 text is read and written exactly as named (the
// source, -o, --output-dir and the default name alike), never as a look-alike with a
// replacement mark; the bookmark list, which is text, refuses it and stays as it was.
TEST_F(Cli, NamesThatAreNotTextAreTakenByteForByte) {
    const QByteArray folder = QFile::encodeName(dir.path()) + '/';
    const auto put = [&](const QByteArray& name, const QByteArray& content) {
        const int fd = ::open((folder + name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::write(fd, content.constData(), content.size()), content.size());
        ::close(fd);
    };
    // Every file under the folder, one level deep, by its name's bytes.
    const auto files = [&] {
        QMap<QByteArray, QByteArray> found;
        for (const QByteArray& sub : {QByteArray(), QByteArray("d\xe9/")}) {
            DIR* listing = ::opendir((folder + sub).constData());
            while (const dirent* entry = listing ? ::readdir(listing) : nullptr) {
                const QByteArray name = sub + entry->d_name;
                const int fd = ::open((folder + name).constData(), O_RDONLY);
                QByteArray content(64, '\0');
                const ssize_t got = fd < 0 ? -1 : ::read(fd, content.data(), content.size());
                ::close(fd);
                if (entry->d_name[0] != '.' && got >= 0) {
                    found[name] = content.left(got);
                }
            }
            if (listing) {
                ::closedir(listing);
            }
        }
        return found;
    };
    const QByteArray plain = "plain", latin = "latin";
    const struct Row {
        const char* name;
        QList<QByteArray> arguments;
        int exitCode;
        QMap<QByteArray, QByteArray> added; // files written by the run
    } rows[] = {
        {"-o",
         {"lock", "plain.txt", "-o", "out\xe9.bin", "--password-stdin"},
         0,
         {{"out\xe9.bin", transformed(plain, "pw")}}},
        {"default name",
         {"lock", "caf\xe9.txt", "--password-stdin"},
         0,
         {{"caf\xe9_locked.txt", transformed(latin, "pw")}}},
        {"--output-dir",
         {"unlock", "caf\xe9.txt", "--output-dir", "d\xe9", "--password-stdin"},
         0,
         {{"d\xe9/caf\xe9_unlocked.txt", transformed(latin, "pw")}}},
        {"bookmarks add", {"bookmarks", "add", "caf\xe9.txt"}, 3, {}},
        {"bookmarks add -o", {"bookmarks", "add", "plain.txt", "-o", "out\xe9.bin"}, 3, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        // Qt cannot remove what it cannot name.
        QProcess::execute("bash", {"-c", "rm -rf -- \"$0\"/*", dir.path()});
        ASSERT_EQ(::mkdir((folder + "d\xe9").constData(), 0755), 0);
        put("plain.txt", plain);
        put("caf\xe9.txt", latin);
        put("caf\xef\xbf\xbd.txt", "look-alike");
        QMap<QByteArray, QByteArray> expected = files();
        expected.insert(row.added);
        const Outcome result = launch({.input = "pw\n", .raw = row.arguments});
        EXPECT_EQ(result.exitCode, row.exitCode) << result.err.constData();
        EXPECT_EQ(files(), expected);
        EXPECT_FALSE(QFile::exists(listFile));
        if (row.exitCode == 3) {
            EXPECT_TRUE(result.err.endsWith(": A file name that is not valid text cannot be "
                                            "bookmarked. Please rename the file or choose another "
                                            "output name.\n"))
                << result.err.constData();
        }
    }
    QProcess::execute("bash", {"-c", "rm -rf -- \"$0\"/*", dir.path()});
}

// A standard stream the tool was started without is never taken by a file it opens: where the
// run needs that stream it fails at once and says so, and where not, the run goes on.
TEST_F(Cli, ClosedStandardStreamsFailAtOnceWhereTheyAreNeeded) {
    write("pw", "pw\n");
    const struct Row {
        const char* arguments;
        QList<int> closed;
        int exitCode;
        const char* err;
        QByteArray out; // the file "out" afterwards
    } rows[] = {
        {"lock - -o out --password-file pw",
         {0},
         1,
         "kelvane-cli: Standard input is closed; there is nothing to read from it.\n",
         "<missing>"},
        {"unlock - -o - --password-file pw",
         {0},
         1,
         "kelvane-cli: Standard input is closed; there is nothing to read from it.\n",
         "<missing>"},
        {"lock report.txt -o - --password-file pw",
         {1},
         1,
         "kelvane-cli: Standard output is closed; there is nothing to write to it.\n",
         "<missing>"},
        {"--version",
         {1},
         1,
         "kelvane-cli: Standard output is closed; there is nothing to write to it.\n",
         "<missing>"},
        {"lock report.txt -o out --password-file pw", {0, 1}, 0, "", lockedWith("pw")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        QFile::remove(path("out"));
        const Outcome result = launch({.arguments = row.arguments, .closed = row.closed});
        EXPECT_EQ(result.exitCode, row.exitCode);
        EXPECT_EQ(result.err, row.err);
        EXPECT_EQ(read("out"), row.out);
    }
}

// A password read from a pipe takes its first line and nothing more: what follows is left for
// whoever reads on, by every route to standard input.
TEST_F(Cli, APasswordFromAPipeLeavesWhatFollowsIt) {
    for (const char* route :
         {"--password-stdin", "--password-file /dev/stdin", "--password-file /dev/fd/0"}) {
        SCOPED_TRACE(route);
        QFile::remove(path("out"));
        QProcess shell;
        shell.setWorkingDirectory(dir.path());
        shell.start("bash",
                    {"-c", QString("\"$0\" lock report.txt -o out %1 && cat").arg(route), program});
        shell.write("pw\nwhat follows\n");
        shell.closeWriteChannel();
        ASSERT_TRUE(shell.waitForFinished(20000));
        EXPECT_EQ(shell.exitCode(), 0) << shell.readAllStandardError().constData();
        EXPECT_EQ(shell.readAllStandardOutput(), "what follows\n");
        EXPECT_EQ(read("out"), lockedWith("pw"));
    }
}

// /dev/stdout, /dev/stderr, /proc/self/fd/N and links to them are written through their
// descriptor, as "-o -" is, --force or not; nothing takes their place, a link among them stays.
TEST_F(Cli, DescriptorNamesAreWrittenThroughTheirDescriptor) {
    write("pw", "pw\n");
    ASSERT_TRUE(QFile::link("/dev/stdout", path("to-stdout")));
    const auto before = state();
    const struct Row {
        const char* output;
        bool toError; // standard error rather than standard output
    } rows[] = {
        {"/dev/stdout --force", false}, {"/dev/stdout", false},       {"/proc/self/fd/1", false},
        {"/dev/fd/1 --force", false},   {"to-stdout --force", false}, {"/dev/stderr -q", true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.output);
        const Outcome result = run(QString("lock report.txt --password-file pw -o ") + row.output);
        EXPECT_EQ(result.exitCode, 0) << result.err.constData();
        EXPECT_EQ(row.toError ? result.err : result.out, lockedWith("pw"));
        EXPECT_EQ(state(), before);
    }
}

// --help is generated from the parser: every option it knows is named there with its value and
// its description, beside the usage, each exit code with its meaning (scripts rely on them) and
// the descriptor form of a password file. --version is the project's.
TEST_F(Cli, HelpDescribesEveryOptionTheParserKnowsAndVersionIsTheProjects) {
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
        EXPECT_TRUE(!option.description().isEmpty() &&
                    text.contains(option.description().simplified()))
            << qPrintable(option.names().first());
        EXPECT_TRUE(option.valueName().isEmpty() || text.contains('<' + option.valueName() + '>'));
    }
    for (const char* part :
         {"Usage: kelvane-cli", "bookmarks lock-all", "/dev/fd/N", "/dev/tty",
          "\nExit status:\n  0  done: every file locked or unlocked, every bookmark locked\n",
          "\n  1  a SOURCE or the bookmark list cannot be read, or an output or the\n",
          "\n  2  bad usage\n", "\n  3  refused: an output exists (use --force)",
          "\n  4  password problem: none available, empty, too long, a character"}) {
        EXPECT_TRUE(help.out.contains(part)) << part;
    }
    // -v as in the window program; a portable copy says where its list is.
    const struct {
        const char* option;
        bool portable;
        QByteArray out;
    } versions[] = {
        {"--version", true,
         "kelvane-cli " KELVANE_VERSION "\nPortable copy (kelvane-portable beside the program): "
         "the bookmark list is " +
             listFile.toUtf8() + "\n"},
        {"-v", false, "kelvane-cli " KELVANE_VERSION "\n"},
    };
    for (const auto& row : versions) {
        SCOPED_TRACE(row.option);
        if (!row.portable) {
            ASSERT_TRUE(QFile::remove(marker));
        }
        const Outcome version = run(row.option);
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.out, row.out);
    }
}

// A copy without the portable marker, wherever it is, keeps the list in the user's data folder
// (XDG_DATA_HOME, or ~/.local/share when that is unset or relative). The system's starting list
// is read until the user's own list exists and is never written; nothing is written beside the
// program.
TEST_F(Cli, AnInstalledCopyKeepsTheListInTheUsersFolder) {
    ASSERT_TRUE(QFile::remove(marker));
    const QString d = QDir(dir.path()).canonicalPath();
    const QByteArray entry = (d + "/report.txt=" + d + "/report_locked.txt").toUtf8();
    const QString starting = write("etc/Kelvane/bookmarked.txt", "a.txt=b.txt\n");
    const struct {
        const char* name;
        QString dataHome;
        QString list;
    } rows[] = {
        {"data home", d + "/data", d + "/data/Kelvane/bookmarked.txt"},
        {"relative data home", "rel", d + "/home/.local/share/Kelvane/bookmarked.txt"},
    };
    const QByteArray before[] = {qgetenv("HOME"), qgetenv("XDG_DATA_HOME"),
                                 qgetenv("XDG_CONFIG_DIRS")};
    qputenv("HOME", QFile::encodeName(d + "/home"));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(d + "/etc"));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        qputenv("XDG_DATA_HOME", QFile::encodeName(row.dataHome));
        EXPECT_EQ(run("bookmarks list").out, "a.txt=b.txt\n");
        EXPECT_EQ(run("bookmarks add report.txt").exitCode, 0);
        EXPECT_EQ(read(row.list), "a.txt=b.txt\n" + entry + '\n');
        EXPECT_EQ(run("bookmarks clear").exitCode, 0);
        EXPECT_EQ(run("bookmarks list").out, QByteArray());
        EXPECT_EQ(read(starting), "a.txt=b.txt\n");
        EXPECT_EQ(QDir(programDir.path()).entryList(QDir::Files), QStringList("kelvane-cli"));
        EXPECT_FALSE(QFileInfo::exists(path("rel")));
        ASSERT_TRUE(QFile::remove(row.list));
    }
    qputenv("HOME", before[0]);
    qputenv("XDG_DATA_HOME", before[1]);
    qputenv("XDG_CONFIG_DIRS", before[2]);
}

} // namespace

int main(int argc, char* argv[]) {
    // The window's list reader needs widgets, none of which is shown.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
