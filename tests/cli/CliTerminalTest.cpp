#include "CliRunner.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace kelvane::test;

namespace {

const QByteArray kSource = "Minutes of the meeting";

struct Typing {
    const char* name;
    const char* command;
    QList<QByteArray> entries;
    int exitCode;
    int prompts;
    const char* message; // part of the one error line, or nullptr on success
};

void PrintTo(const Typing& row, std::ostream* os) {
    *os << row.name;
}

class CliTerminal : public ::testing::TestWithParam<Typing> {};

TEST_P(CliTerminal, AsksWithoutEchoAndRestoresTheTerminal) {
    const Typing& row = GetParam();
    QTemporaryDir dir;
    writeFile(dir.filePath("notes.txt"), kSource);

    const TerminalRun run =
        runOnTerminal(dir.path(), {row.command, "notes.txt", "-o", "out"}, row.entries);

    ASSERT_FALSE(run.timedOut) << run.transcript.constData();
    EXPECT_EQ(run.exitCode, row.exitCode) << run.transcript.constData();
    EXPECT_EQ(run.prompts, row.prompts) << run.transcript.constData();
    for (const QByteArray& entry : row.entries) {
        EXPECT_TRUE(entry.isEmpty() || !run.transcript.contains(entry))
            << "echoed: " << run.transcript.constData();
    }
    EXPECT_TRUE(run.echoOnAfterwards);
    EXPECT_EQ(QFile::exists(dir.filePath("out")), row.message == nullptr);
    if (row.message != nullptr) {
        EXPECT_TRUE(run.transcript.contains(row.message)) << run.transcript.constData();
    }
    EXPECT_EQ(readFile(dir.filePath("notes.txt")), kSource);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CliTerminal,
    ::testing::Values(
        Typing{"LockEntriesMatch", "lock", {"tango-17", "tango-17"}, 0, 2, nullptr},
        Typing{"LockEntriesDiffer", "lock", {"tango-17", "tango-71"}, 4, 2, "do not match"},
        Typing{"LockEmptyFirstEntry", "lock", {""}, 4, 1, "empty"},
        Typing{"LockForeignCharacterAskedOnce", "lock", {"tango\xc5\x91"}, 4, 1, "U+0151"},
        Typing{"UnlockAsksOnce", "unlock", {"tango-17"}, 0, 1, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliProgress, ShownOnlyOnATerminalForLargeFilesAndClearedAtTheEnd) {
    QTemporaryDir dir;
    QFile big(dir.filePath("big.bin"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly) && big.resize(64 * 1024 * 1024));
    big.close();
    writeFile(dir.filePath("pw"), "pw\n");

    const TerminalRun terminal =
        runOnTerminal(dir.path(), {"lock", "big.bin", "-o", "a", "--password-file", "pw"});
    ASSERT_EQ(terminal.exitCode, 0) << terminal.transcript.constData();
    EXPECT_TRUE(terminal.transcript.startsWith("\rLocking 0%")) << terminal.transcript.constData();
    EXPECT_TRUE(terminal.transcript.endsWith(" \r")) << terminal.transcript.constData();
    EXPECT_FALSE(terminal.transcript.contains('\n'));

    const CliRun piped =
        runCli(dir.path(), {"lock", "big.bin", "-o", "b", "--password-file", "pw"});
    ASSERT_EQ(piped.exitCode, 0);
    EXPECT_TRUE(piped.err.isEmpty());
}

} // namespace
