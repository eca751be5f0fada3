// SPDX-License-Identifier: MIT
#include "cli/Terminal.h"

#include "cli/ExitCode.h"
#include "engine/DescriptorPath.h"
#include "engine/FileName.h"
#include "engine/SignalHandlers.h"
#include "engine/StandardDescriptors.h"

#include <array>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace kelvane::cli {

namespace {

// What the signal handler needs to put the terminal back; only one EchoOff is alive at a time.
int g_terminal = -1;
termios g_saved{};
volatile std::sig_atomic_t g_echoIsOff = 0;

SignalHandlers<4> g_handlers({SIGINT, SIGTERM, SIGHUP, SIGQUIT});

void restoreAndGoOn(int signal) {
    if (g_echoIsOff) {
        ::tcsetattr(g_terminal, TCSANOW, &g_saved);
    }
    g_handlers.passOn(signal);
}

} // namespace

bool isTerminal(int fd) {
    return ::isatty(fd) == 1;
}

bool isStandardInput(const QString& path) {
    const DescriptorPath descriptor = DescriptorPath::of(path);
    if (descriptor.owner == DescriptorPath::Owner::Own && descriptor.fd == STDIN_FILENO) {
        return true;
    }
    struct stat named {};
    struct stat input {};
    return ::stat(encodeFileName(path).constData(), &named) == 0 &&
           ::fstat(STDIN_FILENO, &input) == 0 && named.st_dev == input.st_dev &&
           named.st_ino == input.st_ino;
}

void requireStandardDescriptor(int fd) {
    if (!StandardDescriptors::wasClosed(fd)) {
        return;
    }
    static const char* const kNames[] = {"Standard input", "Standard output", "Standard error"};
    throw CliError(ExitCode::ReadWriteFailure,
                   QStringLiteral("%1 is closed; there is nothing to %2 it.")
                       .arg(QString::fromLatin1(kNames[fd]), fd == STDIN_FILENO
                                                                 ? QStringLiteral("read from")
                                                                 : QStringLiteral("write to")));
}

bool writeAll(int fd, QByteArrayView text) {
    const char* data = text.data();
    qsizetype left = text.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, static_cast<std::size_t>(left));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        data += written;
        left -= written;
    }
    return true;
}

void writeToStderr(QByteArrayView text) {
    writeAll(STDERR_FILENO, text);
}

ControllingTerminal::ControllingTerminal()
    : m_fd(::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC)) {}

ControllingTerminal::~ControllingTerminal() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

QByteArray readLine(int fd, qsizetype limit, bool wholeBlocks, LineStatus& status) {
    status = LineStatus::Read;
    QByteArray line;
    char block[64 * 1024];
    const std::size_t blockSize = wholeBlocks ? sizeof block : 1;
    for (;;) {
        const ssize_t got = ::read(fd, block, blockSize);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            status = LineStatus::Failed;
            return {};
        }
        if (got == 0) {
            if (line.size() > limit) {
                status = LineStatus::TooLong;
                return {};
            }
            return line;
        }
        const QByteArrayView read(block, got);
        const qsizetype end = read.indexOf('\n');
        line.append(end < 0 ? read : read.first(end));
        if (line.size() > limit + 1) { // room for the "\r" of a "\r\n"
            status = LineStatus::TooLong;
            return {};
        }
        if (end >= 0) {
            if (line.endsWith('\r')) {
                line.chop(1);
            }
            if (line.size() > limit) {
                status = LineStatus::TooLong;
                return {};
            }
            return line;
        }
    }
}

EchoOff::EchoOff(int fd) {
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0) {
        return;
    }
    g_terminal = fd;
    g_saved = settings;
    g_handlers.install(restoreAndGoOn);
    settings.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    settings.c_lflag |= ECHONL;
    g_echoIsOff = 1;
    m_active = ::tcsetattr(fd, TCSAFLUSH, &settings) == 0;
    if (!m_active) {
        g_echoIsOff = 0;
        g_handlers.restore();
    }
}

EchoOff::~EchoOff() {
    if (!m_active) {
        return;
    }
    ::tcsetattr(g_terminal, TCSANOW, &g_saved);
    g_echoIsOff = 0;
    g_handlers.restore();
}

} // namespace kelvane::cli
