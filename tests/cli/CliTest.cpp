// SPDX-License-Identifier: MIT
#include "tests/support/EngineTest.h"

#include <QCoreApplication>
#include <QProcess>

#include <algorithm>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

namespace {

using namespace kelvane::test;

const QByteArray kSource =
    QByteArray("Quarterly figures\r\n\x00\x01\xff\x80 end", 27).repeated(3000);

// One run of the tool.
struct Call {
    // `script`: a bash script run in place of the tool, whose path is its $0.
    QString arguments{}, script{};
    // Standard input, output and error a pseudo-terminal, which is also /dev/tty; otherwise the
    // tool has no controlling terminal at all, and nobody can be asked for a password.
    bool terminal = false;
    // Standard input, unless it is the terminal; more of it written after a pause; on a terminal,
    // the entry typed at each prompt, one a line.
    QByteArray input{}, laterInput{}, typed{};
    bool nonBlockingInput = false; // standard input in non-blocking mode, as some shells leave it
};

// An exit code of -1: ended by a signal. On a terminal, `err` is everything shown there, prompts
// included.
struct Outcome {
    int exitCode = -1, prompts = 0;
    QByteArray out, err;
    bool echoOnAfterwards = false;
};

// The tool runs from a copy in a folder of its own, a portable copy that keeps its bookmark list
// there.
class Cli : public FileFixture {
protected:
    void SetUp() override {
        write("report.txt", kSource);
        ASSERT_TRUE(QFile::copy(KELVANE_CLI_PATH, program));
        write(programDir.filePath("kelvane-portable"), {});
        write("pw", "pw\n");
    }

    Outcome run(const QString& arguments, const QByteArray& input = {}, bool terminal = false) {
        return launch({.arguments = arguments, .terminal = terminal, .input = input});
    }

    // Runs kelvane-cli in the test's folder as `call` says; a terminal types the next line of
    // `call.typed` at each password prompt.
    Outcome launch(const Call& call) {
        int master = -1, slave = -1;
        EXPECT_TRUE(!call.terminal || ::openpty(&master, &slave, nullptr, nullptr, nullptr) == 0);
        QProcess process;
        process.setWorkingDirectory(dir.path());
        // In the child, before the tool starts; the descriptors made here close when it does.
        process.setChildProcessModifier([&call, slave] {
            const int flags = ::fcntl(STDIN_FILENO, F_GETFL);
            ::fcntl(STDIN_FILENO, F_SETFL, flags | (call.nonBlockingInput ? O_NONBLOCK : 0));
            if (call.terminal) {
                ::login_tty(slave);
            } else {
                ::setsid(); // away from the terminal the tests may run in
            }
        });
        const bool tool = call.script.isEmpty();
        process.start(tool ? program : "bash", tool ? call.arguments.split(' ', Qt::SkipEmptyParts)
                                                    : QStringList{"-c", call.script, program});
        process.write(call.input);
        if (!call.laterInput.isEmpty()) {
            process.waitForBytesWritten(5000);
            process.waitForFinished(300); // a pause, unless the run ends before it
            process.write(call.laterInput);
        }
        process.closeWriteChannel();
        Outcome result;
        // 10 s at most
        for (int tick = 0, finished = 0; master >= 0 && !finished && tick < 500; ++tick) {
            finished = process.waitForFinished(20);
            char buffer[4096];
            for (pollfd fd{master, POLLIN, 0}; ::poll(&fd, 1, 0) > 0 && (fd.revents & POLLIN);) {
                result.err.append(buffer,
                                  std::max<ssize_t>(0, ::read(master, buffer, sizeof buffer)));
            }
            for (; result.prompts < result.err.count("assword: "); ++result.prompts) {
                const QByteArray line = call.typed.split('\n').value(result.prompts) + '\n';
                EXPECT_EQ(::write(master, line.data(), line.size()), line.size());
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

    // The bookmark list file's entries, one a line, as the window keeps them too.
    QStringList bookmarks() const {
        return QString::fromUtf8(read(listFile)).split('\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir programDir;
    const QString program = programDir.filePath("kelvane-cli");
    const QString listFile = programDir.filePath("bookmarked.txt");
};

// Each refusal: its exit code, one whole line on standard error, nothing on standard output,
// and every file as it was. The password, when one is read, comes from standard input.
TEST_F(Cli, RefusesWithOneLineAndItsExitCodeLeavingEveryFileAsItWas) {
    write("empty.pw", "\r\n");
    write("unusable.pw", "pass\xc5\x91\n");
    const auto before = state();
    const struct {
        const char* arguments;
        int exitCode;
        const char* message;
        QByteArray input = "pw\n";
    } rows[] = {
        // clang-format off
        {"lock missing.txt --password-stdin", 1, "Cannot read \"missing.txt\": No such file or directory."},
        {"lock report.txt -o ./report.txt --force --password-stdin", 3,
         "The output \"./report.txt\" is the source file itself; choose another output name."},
        {"lock report.txt -o /dev/null --force --password-stdin", 3,
         "The output \"/dev/null\" is a device, not a file; it is never replaced."},
        {"lock report.txt -o /dev/stdin --force --password-stdin", 3,
         "The output \"/dev/stdin\" is standard input, which is never written."},
        {"lock report.txt --password-stdin", 4, "The password is empty.", "\r\n"},
        {"lock report.txt --password-file empty.pw", 4, "The password is empty."},
        {"lock report.txt -o pw --force --password-file unusable.pw", 4, "The password holds "
         "the character \"\xc5\x91\" (U+0151), which has no code in the Windows-1252 character set."},
        {"lock report.txt --password-file /dev/zero", 4, "The password in the file \"/dev/zero\" is "
         "too long: a password has at most 8421504 characters."},
        {"lock report.txt", 4,
         "No password: there is no terminal to ask on; use --password-stdin or --password-file."},
        {"lock report.txt --password=pw", 2, "The password is never taken from the command line; "
         "use the terminal prompt, --password-stdin or --password-file."},
        {"lock - -o out --password-stdin", 2, "--password-stdin cannot be used when a SOURCE is \"-\": "
         "standard input carries the data. Type the password at the prompt or use --password-file."},
        {"lock - -o out --password-file /dev/stdin", 2, "--password-file /dev/stdin cannot be used "
         "when a SOURCE is \"-\": it is standard input, which carries the data. Type the password at "
         "the prompt or use another file."},
        // clang-format on
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
// of several files; also while standard input and output carry the data. Ctrl-C at the prompt
// ends the run and gives the echo back. Binary output to a terminal is refused unless forced.
TEST_F(Cli, AsksOnTheTerminalWithoutEcho) {
    const QByteArray locked = transformed(kSource, "tango");
    write("locked", locked);
    const struct {
        const char* arguments; // given through the shell, which redirects what they say
        const char* typed;
        int exitCode, prompts;
        const char* message;            // part of what the terminal shows
        QByteArray holds = "<missing>"; // the file "out" afterwards
    } rows[] = {
        {"lock report.txt -o out", "tango\ntango", 0, 2, "", locked},
        {"lock report.txt -o out", "tango\ntango-71", 4, 2, "not match"},
        {"lock report.txt -o out", "\x03", -1, 1, "Password: "},
        {"unlock - -o - <locked >out", "tango", 0, 1, "", kSource},
        {"lock report.txt locked", "tango\ntango", 0, 2, ""},
        {"lock report.txt -o - --password-file pw", "", 3, 0, "the output is binary"},
        {"lock report.txt -o - --password-file pw --force", "", 0, 0, ""},
        {"lock - -o out <report.txt", "tango\ntango", 0, 2, "", locked},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments + std::string(" typing ") + row.typed);
        QFile::remove(path("out"));
        const Outcome result = launch({.script = QString("exec \"$0\" ") + row.arguments,
                                       .terminal = true,
                                       .typed = row.typed});
        EXPECT_EQ(result.exitCode, row.exitCode) << result.err.constData();
        EXPECT_EQ(result.prompts, row.prompts) << result.err.constData();
        EXPECT_FALSE(result.err.contains("tango") || result.err.contains("ocking"));
        EXPECT_TRUE(result.err.contains(row.message) && result.echoOnAfterwards);
        EXPECT_EQ(read("out"), row.holds);
    }
    EXPECT_EQ(read("locked.locked"), kSource); // both files locked with the one password
    // Made from standard input (the last row), the file has no source to take its permissions
    // from: it stays private.
    EXPECT_EQ(QFileInfo(path("out")).permissions() & 0x0077, 0);
}

// A large file shows its progress on a terminal, redrawn in place and cleared at the end; on a
// pipe, or with -q, nothing is shown.
TEST_F(Cli, ShowsProgressOnlyOnATerminalAndClearsIt) {
    write("big.bin", QByteArray(64 * kMiB, '\0'));
    const QByteArray shown = run("lock big.bin -o a --password-file pw", {}, true).err;
    EXPECT_TRUE(shown.startsWith("\rLocking 0%") && shown.endsWith(" \r") && !shown.contains('\n'))
        << shown.constData();
    EXPECT_EQ(run("lock big.bin -o b --password-file pw -q", {}, true).err, "");
    EXPECT_EQ(run("lock big.bin -o c --password-file pw").err, "");
}

// A file streamed to standard output is checked again at its end: rewritten in place while the
// full pipe holds the run back, it fails the run.
TEST_F(Cli, ASourceStreamedToStandardOutputIsCheckedAtItsEnd) {
    write("big.bin", randomBytes(4 * kMiB));
    // Once the first bytes are out the source is open; the reader then stops until it is rewritten.
    const Outcome result = launch(
        {.script = "set -o pipefail; \"$0\" unlock big.bin -o - --password-file pw | { head -c 1 "
                   ">/dev/null; printf X | dd of=big.bin conv=notrunc status=none; touch -d '1 "
                   "minute ago' big.bin; cat >/dev/null; }"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err,
              "kelvane-cli: Cannot read \"big.bin\": it changed while it was being read.\n");
}

// Sources a.txt, b.txt, c.txt, sub/a.txt and big.bin, locked with "pw" from standard input, as
// named on the command line or as the bookmarks in the list. The exit code is the worst one
// met. Each output written holds its source locked; every other file, and the list, are as they
// were.
TEST_F(Cli, LocksManyFilesAndTheBookmarksGoingOnPastEachRefusal) {
    struct Pair {
        QString source, output;
    };
    const QString d = dir.path();
    const std::vector<Pair> ab = {{"a.txt", "a_locked.txt"}, {"b.txt", "b_locked.txt"}};
    const QString skipped = "Done. Process complete.\n\nLocked 1 of 2 files.\n\nSkipped:\n";
    const struct {
        QString arguments;
        std::vector<Pair> list{};
        QStringList existing{}; // files there before, holding "old"
        int exitCode;
        QString err;
        std::vector<Pair> written{};
        const char* fileSizeLimit = "unlimited"; // in KiB; beyond it a write fails with EFBIG
    } rows[] = {
        // clang-format off
        {.arguments = "lock a.txt b.txt missing.txt sub/a.txt -q", .existing = {"b_locked.txt"},
         .exitCode = 3, .err = "kelvane-cli: The output \"b_locked.txt\" already exists; use "
             "--force to replace it.\nkelvane-cli: Cannot read \"missing.txt\": No such file or "
             "directory.\n", .written = {ab[0], {"sub/a.txt", "sub/a_locked.txt"}}},
        // A file that fails while it is written is not counted.
        {.arguments = "lock a.txt b.txt sub/a.txt big.bin --output-dir out/",
         .existing = {"out/keep"}, .exitCode = 3, .err = "kelvane-cli: The output "
             "\"out/a_locked.txt\" is also the output of an earlier SOURCE.\nkelvane-cli: Cannot "
             "write \"out/big_locked.bin\": File too large.\nlocked 2 of 4 files\n",
         .written = {{"a.txt", "out/a_locked.txt"}, {"b.txt", "out/b_locked.txt"}},
         .fileSizeLimit = "1024"},
        {.arguments = "bookmarks lock-all", .list = ab, .existing = {"b_locked.txt"}, .exitCode = 3,
         .err = "kelvane-cli: 1 target file exists and would be replaced: \"" + d +
             "/b_locked.txt\". Use --force to replace it; nothing was locked.\n"},
        {.arguments = "bookmarks lock-all --force", .list = ab, .existing = {"b_locked.txt"},
         .exitCode = 0, .err = "Done. Process complete.\n", .written = ab},
        // Skipped or failed, the report shows with -q too.
        {.arguments = "bookmarks lock-all -q", .list = {ab[0], {"gone.txt", "gone_locked.txt"}},
         .exitCode = 1, .err = skipped + d + "/gone.txt: source file not found.\n",
         .written = {ab[0]}},
        // alias is a link to the folder sub: two outputs that do not exist yet meet there.
        {.arguments = "lock sub/x.txt alias/x_unlocked.txt --force",
         .existing = {"sub/x.txt", "sub/x_unlocked.txt"}, .exitCode = 3, .err = "kelvane-cli: The "
             "output \"alias/x_locked.txt\" is also the output of an earlier SOURCE.\nlocked 1 of "
             "2 files\n", .written = {{"sub/x.txt", "sub/x_locked.txt"}}},
        {.arguments = "bookmarks lock-all", .list = {{"c.txt", "c.txt"}, {"b.txt", "d.txt"}},
         .exitCode = 3, .err = skipped + d + "/c.txt: the output is the source file itself.\n",
         .written = {{"b.txt", "d.txt"}}},
        // clang-format on
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.toStdString());
        QDir(dir.path()).removeRecursively();
        for (const QString& name :
             QStringList{"a.txt", "b.txt", "c.txt", "sub/a.txt"} + row.existing) {
            write(name, row.existing.contains(name) ? "old" : name.toUtf8());
        }
        write("big.bin", QByteArray(2 * kMiB, 'b'));
        ASSERT_TRUE(QFile::link(path("sub"), path("alias")));
        QByteArray list;
        for (const Pair& bookmark : row.list) {
            list += (path(bookmark.source) + '=' + path(bookmark.output) + '\n').toUtf8();
        }
        write(listFile, list);
        auto expected = state();
        const Outcome result =
            launch({.script = QString("trap '' XFSZ; ulimit -f %1; exec \"$0\" %2 --password-stdin")
                                  .arg(row.fileSizeLimit, row.arguments),
                    .input = "pw\n"});
        EXPECT_EQ(result.exitCode, row.exitCode);
        EXPECT_EQ(result.err, row.err.toUtf8());
        auto after = state();
        for (const Pair& written : row.written) {
            EXPECT_EQ(read(written.output), transformed(read(written.source), "pw"));
            // An output in a folder is no entry of either, and gets the same empty one in both.
            expected[written.output] = after[written.output];
        }
        EXPECT_EQ(after, expected);
        EXPECT_EQ(read(listFile), list);
    }
}

// Each change is saved as the window keeps the list, one source=output line each; every refusal
// leaves the list as it was. A list the window saved is listed as stored.
TEST_F(Cli, BookmarksEditTheListTheWindowReads) {
    const QString d = QDir(dir.path()).canonicalPath();
    const QString first = d + "/report.txt=" + d + "/report_locked.txt";
    const QString second = d + "/report.txt=" + d + "/other.bin";
    const QString old = "C:\\Docs\\a.pdf=C:\\Docs\\a_locked.pdf"; // as the legacy program wrote
    write(listFile, old.toUtf8() + '\n');
    EXPECT_EQ(run("bookmarks list").out, old.toUtf8() + '\n');
    const struct {
        const char* arguments;
        int exitCode;
        QString err;
        QStringList after; // the list afterwards
    } steps[] = {
        // clang-format off
        {"add report.txt", 0, "", {old, first}},
        {"add ./report.txt", 3, "kelvane-cli: \"" + first + "\": Bookmarked file already exists.\n",
         {old, first}},
        {"add sub/../report.txt -o other.bin", 0, "", {old, first, second}},
        {"add report.txt -o x=y", 3, "kelvane-cli: \"" + d + "/x=y\": A path that contains \"=\" "
         "cannot be bookmarked. Please choose another file or output name.\n", {old, first, second}},
        {"remove report.txt -o other.bin", 0, "", {old, first}},
        {"remove C:\\Docs\\a.pdf=C:\\Docs\\a_locked.pdf", 0, "", {first}}, // the whole line
        {"add report.txt -o other.bin", 0, "", {first, second}},
        {"remove report.txt", 0, "", {}}, // each bookmark of the source
        {"add report.txt", 0, "", {first}},
        {"clear", 0, "", {}},
        // clang-format on
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.arguments);
        const Outcome result = run("bookmarks " + QString(step.arguments));
        EXPECT_EQ(result.exitCode, step.exitCode);
        EXPECT_EQ(result.err, step.err.toUtf8());
        EXPECT_EQ(bookmarks(), step.after); // cleared, the file is there with no entry
    }
}

// Twenty adds at once, each a locked read-modify-write of the list: every add that reported
// success is in the list, and no lock or temporary file is left.
TEST_F(Cli, ConcurrentAddsKeepEveryEntry) {
    const Outcome result = launch(
        {.script =
             "for i in {0..19}; do { \"$0\" bookmarks add f$i.txt || echo $i; } & done; wait"});
    EXPECT_EQ(result.out + result.err, "");
    EXPECT_EQ(bookmarks().size(), 20);
    for (int i = 0; i < 20; ++i) {
        const QString name = path(QStringLiteral("f%1").arg(i));
        EXPECT_EQ(bookmarks().count(name + ".txt=" + name + "_locked.txt"), 1) << i;
    }
    EXPECT_EQ(QDir(programDir.path()).entryList(QDir::Files | QDir::Hidden),
              (QStringList{"bookmarked.txt", "kelvane-cli", "kelvane-portable"}));
}

// Two runs for one output, both past every check that it is free before either writes: one
// publishes, the other is refused at its end and leaves that result alone.
TEST_F(Cli, TwoRunsRacingForOneOutputNeverReplaceEachOther) {
    write("big.bin", QByteArray(8 * kMiB, 'b'));
    // Each run opens its password pipe only after its checks: the shell's opens of both pipes wait
    // for that, and only then is either run given its password. It ends with the sum of the runs'
    // exit codes.
    const Outcome result = launch(
        {.script = "mkfifo p0 p1; \"$0\" lock big.bin -o same --password-file p0 & a=$!; \"$0\" "
                   "lock big.bin -o same --password-file p1 & b=$!; exec 3>p0 4>p1; echo pw >&3; "
                   "echo pw >&4; exec 3>&- 4>&-; wait $a; a=$?; wait $b; exit $((a + $?))"});
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.err, "kelvane-cli: The output \"same\" already exists.\n");
    EXPECT_TRUE(read("same") == transformed(read("big.bin"), "pw"));
}

// File names are bytes: a name that is not UTF-8 text is read and written exactly as named (the
// source, -o and the default name alike), never as a look-alike with a replacement mark; the
// bookmark list, which is text, refuses it and stays as it was.
TEST_F(Cli, NamesThatAreNotTextAreTakenByteForByte) {
    // Names are given through the shell, which takes escaped bytes as they are; Qt would take them
    // as text. The shell also makes the sources and reads back what was written.
    launch({.script = "printf plain >plain.txt; printf latin >$'caf\\xe9.txt'"});
    const struct Row {
        const char* name;
        const char* arguments;
        const char* output = nullptr; // the file written; none when refused
        QByteArray source{};          // what its source holds
    } rows[] = {
        // clang-format off
        {"-o", "lock plain.txt -o $'out\\xe9.bin' --password-stdin", "$'out\\xe9.bin'", "plain"},
        {"default name", "lock $'caf\\xe9.txt' --password-stdin", "$'caf\\xe9_locked.txt'", "latin"},
        {"bookmarks add", "bookmarks add $'caf\\xe9.txt'"},
        {"bookmarks add -o", "bookmarks add plain.txt -o $'out\\xe9.bin'"},
        // clang-format on
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Outcome result =
            launch({.script = QString("\"$0\" %1 && cat %2").arg(row.arguments, row.output),
                    .input = "pw\n"});
        const bool refused = !row.output;
        EXPECT_EQ(result.exitCode, refused ? 3 : 0) << result.err.constData();
        EXPECT_EQ(result.err.endsWith(": A file name that is not valid text cannot be bookmarked. "
                                      "Please rename the file or choose another output name.\n"),
                  refused);
        EXPECT_EQ(result.out, transformed(row.source, "pw"));
    }
    EXPECT_FALSE(QFile::exists(listFile));
    QProcess::execute("bash", {"-c", "rm -rf -- \"$0\"/*", dir.path()});
}

// Standard input and output as the tool finds them. A stream that arrives slowly on a
// non-blocking standard input (as some shells and ssh leave it) is waited for: "no data yet" is
// not its end. A password read from a pipe takes its first line without its line end ("\n" or
// "\r\n") and nothing more: what follows is left for whoever reads on, by every route to standard
// input. /dev/stdout, /dev/stderr, /proc/self/fd/N and links to them are written through their
// descriptor, as "-o -" is, --force or not; nothing takes their place, a link among them stays. A
// standard stream the tool was started without is never taken by a file it opens: where the run
// needs that stream it fails at once and says so, and where not, the run goes on. A reader that
// has gone is a failure too.
TEST_F(Cli, StandardStreamsAsTheToolFindsThem) {
    ASSERT_TRUE(QFile::link("/dev/stdout", path("to-stdout")));
    const auto before = state();
    const QByteArray locked = transformed(kSource, "pw");
    const QByteArray noOutput = "kelvane-cli: Standard output is closed; there is nothing to "
                                "write to it.\n";
    const auto passwordThen = [](const char* route) {
        return Call{.script = QString("\"$0\" lock report.txt -o out --force %1 && cat").arg(route),
                    .input = "pw\r\nwhat follows\n"};
    };
    const auto lockTo = [](const char* output) {
        return Call{.arguments = QString("lock report.txt --password-file pw -o ") + output};
    };
    const struct Row {
        Call call;
        int exitCode;
        QByteArray err{}, out{};
        QByteArray file = "<missing>"; // the file "out" afterwards
    } rows[] = {
        // clang-format off
        {{.arguments = "lock - -o out --password-file pw", .input = kSource.first(1000),
          .laterInput = kSource.sliced(1000), .nonBlockingInput = true}, 0, {}, {}, locked},
        {passwordThen("--password-stdin"), 0, {}, "what follows\n", locked},
        {passwordThen("--password-file /dev/stdin"), 0, {}, "what follows\n", locked},
        {passwordThen("--password-file /dev/fd/0"), 0, {}, "what follows\n", locked},
        {lockTo("/dev/stdout --force"), 0, {}, locked},
        {lockTo("/proc/self/fd/1"), 0, {}, locked},
        {lockTo("/dev/fd/1 --force"), 0, {}, locked},
        {lockTo("to-stdout --force"), 0, {}, locked},
        {lockTo("/dev/stderr -q"), 0, locked},
        {{.script = "exec \"$0\" lock - -o out --password-file pw <&-"}, 1, "kelvane-cli: Standard "
         "input is closed; there is nothing to read from it.\n"},
        {{.script = "exec \"$0\" lock report.txt -o - --password-file pw >&-"}, 1, noOutput},
        {{.script = "exec \"$0\" --version >&-"}, 1, noOutput},
        {{.script = "set -o pipefail; \"$0\" lock report.txt -o - --password-file pw | true"}, 1,
         "kelvane-cli: Cannot write standard output: Broken pipe.\n"},
        {{.script = "exec \"$0\" lock report.txt -o out --password-file pw <&- >&-"}, 0, {}, {}, locked},
        // clang-format on
    };
    for (const Row& row : rows) {
        SCOPED_TRACE((row.call.arguments + row.call.script).toStdString());
        const Outcome result = launch(row.call);
        EXPECT_EQ(result.exitCode, row.exitCode) << result.err.constData();
        EXPECT_EQ(result.err, row.err);
        EXPECT_TRUE(result.out == row.out);
        EXPECT_EQ(read("out"), row.file);
        QFile::remove(path("out"));
        EXPECT_EQ(state(), before);
    }
}

} // namespace

int main(int argc, char* argv[]) {
    const QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
