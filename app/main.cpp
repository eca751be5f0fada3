// SPDX-License-Identifier: MIT
#include "KelvaneVersion.h"
#include "app/CommandSets.h"
#include "app/DesktopIdentity.h"
#include "app/ProgramOptions.h"
#include "core/BookmarkListLocation.h"
#include "window/OpenPath.h"
#include "window/frmMain.h"

#include <QApplication>

#include <cstdio>

using kelvane::ProgramOptions;

namespace {

QStringList argumentsOf(int argc, char* argv[]) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.append(QString::fromLocal8Bit(argv[i]));
    }
    return arguments;
}

// Help and version go to standard output; a refused command line is one line on standard error.
int answer(const ProgramOptions& options) {
    const bool refused = options.request() == ProgramOptions::Request::Usage;
    const QString text =
        refused ? QStringLiteral("kelvane: %1 (see kelvane --help)\n").arg(options.error())
        : options.request() == ProgramOptions::Request::Help
            ? ProgramOptions::helpText()
            : ProgramOptions::versionText() +
                  kelvane::BookmarkListLocation::forProgramIn(
                      kelvane::BookmarkListLocation::runningProgramFolder())
                      .portableNote();
    const QByteArray bytes = text.toLocal8Bit();
    std::FILE* stream = refused ? stderr : stdout;
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()),
                                     stream) == static_cast<std::size_t>(bytes.size()) &&
                         std::fflush(stream) == 0;
    return refused ? 2 : written ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    // Answered before the toolkit starts: they need no display.
    const ProgramOptions early =
        ProgramOptions::parse(argumentsOf(argc, argv), ProgramOptions::ToolkitOptions::StillThere);
    if (early.request() != ProgramOptions::Request::Start) {
        return answer(early);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvane"));
    QApplication::setApplicationVersion(QStringLiteral(KELVANE_VERSION));
    kelvane::DesktopIdentity::apply();

    // The toolkit has taken its own options out; what is left are the program's.
    const ProgramOptions options =
        ProgramOptions::parse(QCoreApplication::arguments(), ProgramOptions::ToolkitOptions::Taken);
    if (options.request() != ProgramOptions::Request::Start) {
        return answer(options);
    }

    kelvane::frmMain window;
    kelvane::attachCommandSets(window);
    window.Form_Load();
    window.show();
    // A file named on the command line ("Open With" in a file manager) is selected as a click on
    // it would; the window works on one file at a time, so that is the first one named.
    if (!options.files().isEmpty()) {
        kelvane::openPathWhenShown(window, options.files().front());
    }
    return QApplication::exec();
}
