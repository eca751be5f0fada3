// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace kelvane {

// The command line of the window program: kelvane [-h | -v] [FILE...].
class ProgramOptions {
public:
    enum class Request { Start, Help, Version, Usage };

    // Whether the toolkit has already taken its own options (-platform NAME, -style NAME, ...)
    // out of the arguments, as QApplication does when it starts.
    enum class ToolkitOptions { StillThere, Taken };

    // Reads `arguments`, the program's name first. Help, version and options that are neither
    // the program's nor the toolkit's are answered before the toolkit starts, so they need no
    // display. The files are known once the toolkit has taken its own options.
    static ProgramOptions parse(const QStringList& arguments, ToolkitOptions toolkit);

    Request request() const { return m_request; }
    // The files named on the command line, in order.
    const QStringList& files() const { return m_files; }
    // The file the window opens: it works on one file at a time, so the first one named (a file
    // manager's "Open with" on several files names them all). Empty when none is named.
    QString fileToOpen() const { return m_files.value(0); }
    // Why the command line is refused, for Request::Usage.
    const QString& error() const { return m_error; }

    static QString helpText();
    static QString versionText(); // "kelvane 1.2"

private:
    Request m_request = Request::Start;
    QStringList m_files;
    QString m_error;
};

} // namespace kelvane
