#pragma once

#include <QByteArray>
#include <QByteArrayView>

namespace kelvane::cli {

bool isTerminal(int fd);

// Writes `text` to stderr at once, without buffering.
void writeToStderr(QByteArrayView text);

// Reads one line from `fd`, up to "\n" or the end of input, and returns it without its line
// end ("\n" or "\r\n"). Reads byte by byte, so nothing after the line is consumed.
// `ok` turns false when the read fails.
QByteArray readLine(int fd, bool& ok);

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
