#include "CliRunner.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <csignal>
#include <string>
#include <vector>

#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utmp.h>

namespace kelvane::test {

namespace {

constexpr int kTimeoutMs = 10000;
const QByteArray kPrompt = "assword: ";

int exitCodeOf(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

} // namespace

CliRun runCli(const QString& workDir, const QStringList& arguments, const QByteArray& input) {
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.start(QStringLiteral(KELVANE_CLI_PATH), arguments);
    CliRun run;
    if (!process.waitForStarted(kTimeoutMs)) {
        return run;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(kTimeoutMs)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

TerminalRun runOnTerminal(const QString& workDir, const QStringList& arguments,
                          const QList<QByteArray>& entries) {
    TerminalRun run;
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) {
        return run;
    }
    // Everything the child needs is prepared before fork.
    const std::string program = KELVANE_CLI_PATH;
    const std::string directory = QFile::encodeName(workDir).toStdString();
    std::vector<std::string> storage{program};
    for (const QString& argument : arguments) {
        storage.push_back(argument.toStdString());
    }
    std::vector<char*> argv;
    for (std::string& s : storage) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(master);
        if (::login_tty(slave) != 0 || ::chdir(directory.c_str()) != 0) {
            ::_exit(127);
        }
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }

    // The slave stays open here, so its settings can be read after the child is gone.
    QDeadlineTimer deadline(kTimeoutMs);
    qsizetype searchFrom = 0;
    int status = 0;
    bool exited = false;
    const auto drain = [&](int waitMs) {
        pollfd fd{master, POLLIN, 0};
        while (::poll(&fd, 1, waitMs) > 0 && (fd.revents & POLLIN)) {
            char buffer[4096];
            const ssize_t got = ::read(master, buffer, sizeof buffer);
            if (got <= 0) {
                break;
            }
            run.transcript.append(buffer, got);
            waitMs = 0;
        }
    };
    while (!exited && !deadline.hasExpired()) {
        drain(20);
        const qsizetype prompt = run.transcript.indexOf(kPrompt, searchFrom);
        if (prompt >= 0) {
            searchFrom = prompt + kPrompt.size();
            if (run.prompts < entries.size()) {
                const QByteArray line = entries[run.prompts] + '\n';
                [[maybe_unused]] const ssize_t written = ::write(master, line.data(), line.size());
            }
            ++run.prompts;
        }
        exited = ::waitpid(pid, &status, WNOHANG) == pid;
    }
    drain(0);
    if (!exited) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        run.timedOut = true;
    }
    run.exitCode = exitCodeOf(status);
    termios settings{};
    run.echoOnAfterwards = ::tcgetattr(slave, &settings) == 0 && (settings.c_lflag & ECHO);
    ::close(master);
    ::close(slave);
    return run;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& content) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        file.write(content);
    }
}

QMap<QString, QByteArray> snapshot(const QString& dir) {
    QMap<QString, QByteArray> entries;
    const QDir folder(dir);
    const auto filter = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    for (const QFileInfo& entry : folder.entryInfoList(filter)) {
        entries.insert(entry.fileName(),
                       entry.isFile() ? readFile(entry.filePath()) : QByteArray("<folder>"));
    }
    return entries;
}

} // namespace kelvane::test
