#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace kelvane::cli {

bool isTerminal(int fd);

// Writes `text` to stderr at once, without buffering.
void writeToStderr(QByteArrayView text);

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
