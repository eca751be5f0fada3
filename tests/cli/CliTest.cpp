#include "CliRunner.h"
#include "RndCrypt.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace kelvane::test;

namespace {

const QByteArray kSource =
    QByteArray("Quarterly figures\r\n\x00\x01\xff\x80 end", 27).repeated(3000);

class Cli : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        writeFile(path("report.txt"), kSource);
    }

    QString path(const QString& name) const { return dir.filePath(name); }

    // What the engine itself makes of report.txt with `password`.
    QByteArray expectedLock(const QString& password) {
        const QString reference = references.filePath(QString::number(++made));
        kelvane::RndCrypt(path("report.txt"), reference, password);
        return readFile(reference);
    }

    QTemporaryDir dir;
    QTemporaryDir references;
    int made = 0;
};

struct Refusal {
    const char* name;
    QStringList arguments;
    QByteArray input;
    int exitCode;
    const char* message;
};

void PrintTo(const Refusal& row, std::ostream* os) {
    *os << row.name;
}

class CliRefusal : public Cli, public ::testing::WithParamInterface<Refusal> {};

TEST_P(CliRefusal, PrintsOneLineAndLeavesEveryFileAsItWas) {
    const Refusal& row = GetParam();
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    ASSERT_EQ(::link(QFile::encodeName(path("report.txt")), QFile::encodeName(path("same.txt"))),
              0);
    writeFile(path("existing.txt"), "old content");
    writeFile(path("pw-empty.txt"), "\n");
    const auto before = snapshot(dir.path());

    const CliRun run = runCli(dir.path(), row.arguments, row.input);

    EXPECT_EQ(run.exitCode, row.exitCode);
    EXPECT_TRUE(run.out.isEmpty()) << run.out.constData();
    EXPECT_TRUE(run.err.startsWith("kelvane-cli: ")) << run.err.constData();
    EXPECT_TRUE(run.err.contains(row.message)) << run.err.constData();
    EXPECT_EQ(run.err.count('\n'), 1) << run.err.constData();
    EXPECT_TRUE(run.err.endsWith('\n'));
    EXPECT_EQ(snapshot(dir.path()), before);
}

const QByteArray pw = "pw\n";
const QString stdinOption = QStringLiteral("--password-stdin");

INSTANTIATE_TEST_SUITE_P(
    Rows, CliRefusal,
    ::testing::Values(
        Refusal{"MissingSource", {"lock", "missing.txt", stdinOption}, pw, 1, "missing.txt"},
        Refusal{"SourceIsFolder", {"unlock", "sub", stdinOption}, pw, 1, "folder"},
        Refusal{"OutputExists",
                {"lock", "report.txt", "-o", "existing.txt", stdinOption},
                pw,
                3,
                "--force"},
        Refusal{"OutputIsSource",
                {"lock", "report.txt", "-o", "./report.txt", "--force", stdinOption},
                pw,
                3,
                "source file itself"},
        Refusal{"OutputIsLinkToSource",
                {"unlock", "report.txt", "-o", "same.txt", "--force", stdinOption},
                pw,
                3,
                "source file itself"},
        Refusal{"OutputIsFolder",
                {"lock", "report.txt", "-o", "sub", "--force", stdinOption},
                pw,
                3,
                "folder"},
        Refusal{"OutputFolderMissing",
                {"lock", "report.txt", "-o", "none/out", stdinOption},
                pw,
                1,
                "Cannot write"},
        Refusal{"EmptyPasswordLine", {"lock", "report.txt", stdinOption}, "\r\n", 4, "empty"},
        Refusal{"NoPasswordInput", {"lock", "report.txt", stdinOption}, "", 4, "empty"},
        Refusal{"EmptyPasswordFile",
                {"lock", "report.txt", "--password-file", "pw-empty.txt"},
                "",
                4,
                "empty"},
        Refusal{"PasswordFileMissing",
                {"lock", "report.txt", "--password-file", "nope"},
                "",
                4,
                "nope"},
        Refusal{
            "ForeignCharacter", {"lock", "report.txt", stdinOption}, "pass\xc5\x91\n", 4, "U+0151"},
        Refusal{"ForeignCharacterKeepsForcedOutput",
                {"lock", "report.txt", "-o", "existing.txt", "--force", stdinOption},
                "\xe4\xb8\xad\n",
                4,
                "U+4E2D"},
        Refusal{"NotUtf8", {"lock", "report.txt", stdinOption}, "pass\xff\n", 4, "UTF-8"},
        Refusal{"NoTerminal", {"lock", "report.txt"}, "pw\npw\n", 4, "not a terminal"},
        Refusal{"NoArguments", {}, "", 2, "--help"},
        Refusal{"UnknownCommand", {"encrypt", "report.txt"}, "", 2, "encrypt"},
        Refusal{"NoSource", {"lock", stdinOption}, pw, 2, "SOURCE"},
        Refusal{"ExtraArgument", {"lock", "report.txt", "x.txt", stdinOption}, pw, 2, "x.txt"},
        Refusal{"UnknownOption", {"lock", "report.txt", "--fast"}, pw, 2, "fast"},
        Refusal{"OutputWithoutValue", {"lock", "report.txt", stdinOption, "-o"}, pw, 2, "-o"},
        Refusal{"TwoPasswordSources",
                {"lock", "report.txt", stdinOption, "--password-file", "pw-empty.txt"},
                pw,
                2,
                "not both"},
        Refusal{"PasswordOnCommandLine",
                {"lock", "report.txt", "--password=pw"},
                "",
                2,
                "never taken from the command line"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Cli, LockThenUnlockWithDefaultNamesGivesTheSourceBack) {
    const CliRun lock =
        runCli(dir.path(), {"lock", "report.txt", "--password-stdin"}, "Secret 1\n");
    ASSERT_EQ(lock.exitCode, 0) << lock.err.constData();
    EXPECT_TRUE(lock.out.isEmpty());
    EXPECT_TRUE(lock.err.isEmpty());
    EXPECT_EQ(readFile(path("report_locked.txt")), expectedLock("Secret 1"));

    const CliRun unlock =
        runCli(dir.path(), {"unlock", "report_locked.txt", "--password-stdin"}, "Secret 1\n");
    ASSERT_EQ(unlock.exitCode, 0) << unlock.err.constData();
    EXPECT_EQ(readFile(path("report_unlocked.txt")), kSource);
    EXPECT_EQ(readFile(path("report.txt")), kSource);
}

struct DefaultName {
    const char* command;
    const char* source;
    const char* output;
};

void PrintTo(const DefaultName& row, std::ostream* os) {
    *os << row.source;
}

class CliDefaultName : public Cli, public ::testing::WithParamInterface<DefaultName> {};

TEST_P(CliDefaultName, WritesBesideTheSourceUnderTheRuleName) {
    const DefaultName& row = GetParam();
    ASSERT_TRUE(QDir(dir.path()).mkpath(QFileInfo(path(row.source)).path()));
    writeFile(path(row.source), "");
    const CliRun run = runCli(dir.path(), {row.command, row.source, "--password-stdin"}, "pw\n");
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(readFile(path(row.output)), QByteArray());
}

INSTANTIATE_TEST_SUITE_P(Rows, CliDefaultName,
                         ::testing::Values(DefaultName{"lock", "a.txt", "a_locked.txt"},
                                           DefaultName{"unlock", "a_locked.txt", "a_unlocked.txt"},
                                           DefaultName{"lock", "a_unlocked.txt", "a_locked.txt"},
                                           DefaultName{"lock", "README", "README.locked"},
                                           DefaultName{"lock", "my.docs/a.txt",
                                                       "my.docs/a_locked.txt"}));

TEST_F(Cli, ForceReplacesAnExistingOutputWithTheNewContentOnly) {
    writeFile(path("out.bin"), QByteArray(kSource.size() * 2, 'x'));
    const auto before = snapshot(dir.path()).keys();
    const CliRun run = runCli(
        dir.path(), {"lock", "report.txt", "-o", "out.bin", "--force", "--password-stdin"}, "pw\n");
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(readFile(path("out.bin")), expectedLock("pw"));
    EXPECT_EQ(snapshot(dir.path()).keys(), before);
}

struct PasswordInput {
    const char* name;
    bool fromFile;
    QByteArray given;
    QString password;
};

void PrintTo(const PasswordInput& row, std::ostream* os) {
    *os << row.name;
}

class CliPasswordInput : public Cli, public ::testing::WithParamInterface<PasswordInput> {};

TEST_P(CliPasswordInput, UsesTheTextWithoutItsLineEnd) {
    const PasswordInput& row = GetParam();
    writeFile(path("pw.txt"), row.given);
    const QStringList source =
        row.fromFile ? QStringList{"--password-file", "pw.txt"} : QStringList{"--password-stdin"};
    const CliRun run = runCli(dir.path(), QStringList{"lock", "report.txt", "-o", "out"} + source,
                              row.fromFile ? QByteArray() : row.given);
    ASSERT_EQ(run.exitCode, 0) << run.err.constData();
    EXPECT_EQ(readFile(path("out")), expectedLock(row.password));
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliPasswordInput,
    ::testing::Values(PasswordInput{"StdinNewline", false, "pw\n", "pw"},
                      PasswordInput{"StdinCrLf", false, "pw\r\n", "pw"},
                      PasswordInput{"StdinNoLineEnd", false, "pw", "pw"},
                      PasswordInput{"StdinFirstLineOnly", false, "pw\nother\n", "pw"},
                      PasswordInput{"StdinWindows1252", false, "\xe2\x82\xac\xc3\xa9\n",
                                    QString::fromUtf8("\xe2\x82\xac\xc3\xa9")},
                      PasswordInput{"FileNoLineEnd", true, "pw", "pw"},
                      PasswordInput{"FileNewline", true, "pw\n", "pw"},
                      PasswordInput{"FileCrLf", true, "pw\r\n", "pw"},
                      PasswordInput{"FileOnlyOneLineEnd", true, "pw\n\n", "pw\n"},
                      PasswordInput{"FileLoneCarriageReturn", true, "pw\r", "pw\r"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(Cli, HelpListsTheExitCodes) {
    const CliRun run = runCli(dir.path(), {"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.isEmpty());
    for (const char* line :
         {"lock SOURCE", "unlock SOURCE", "--password-stdin", "--password-file", "--force",
          "Exit codes", "  0  ", "  1  ", "  2  ", "  3  ", "  4  "}) {
        EXPECT_TRUE(run.out.contains(line)) << line;
    }
}

} // namespace
