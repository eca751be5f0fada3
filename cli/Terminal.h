// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace kelvane::cli {

bool isTerminal(int fd);

// True when `path` leads to the stream open as standard input: /dev/stdin, /dev/fd/0, or a name
// of the same pipe or file.
bool isStandardInput(const QString& path);

// Throws CliError(ReadWriteFailure) when descriptor `fd` (0, 1 or 2) was closed when the
// program started: what would be read or written there is missing.
void requireStandardDescriptor(int fd);

// Writes all of `text` to `fd` at once, without buffering. False when that failed.
bool writeAll(int fd, QByteArrayView text);

// Writes `text` to stderr at once, without buffering.
void writeToStderr(QByteArrayView text);

// The terminal that controls this process (/dev/tty), open for reading and writing while this
// object lives: the place to ask for a password even when standard input and output are pipes.
// Not open when the process has no controlling terminal.
class ControllingTerminal {
public:
    ControllingTerminal();
    ~ControllingTerminal();
    ControllingTerminal(const ControllingTerminal&) = delete;
    ControllingTerminal& operator=(const ControllingTerminal&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    int handle() const { return m_fd; }

private:
    int m_fd = -1;
};

enum class LineStatus { Read, Failed, TooLong };

// Reads the first line from `fd`, up to "\n" or the end of input, and returns it without its
// line end ("\n" or "\r\n"). A line of more than `limit` bytes is not read to its end (TooLong),
// so that an endless input (/dev/zero) cannot exhaust memory. `wholeBlocks` reads in blocks,
// which may consume input beyond the line; otherwise it reads byte by byte and leaves it.
QByteArray readLine(int fd, qsizetype limit, bool wholeBlocks, LineStatus& status);

// Turns off the echo of the terminal at `fd` for its lifetime, so a typed password stays off
// the screen; the closing newline still echoes. The previous settings come back on
// destruction, and also when the process is stopped by a signal in the meantime.
class EchoOff {
public:
    explicit EchoOff(int fd);
    ~EchoOff();
    EchoOff(const EchoOff&) = delete;
    EchoOff& operator=(const EchoOff&) = delete;

private:
    bool m_active = false;
};

} // namespace kelvane::cli
