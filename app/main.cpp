// SPDX-License-Identifier: MIT
#include "KelvaneVersion.h"
#include "app/CommandSets.h"
#include "app/DesktopIdentity.h"
#include "app/ProgramOptions.h"
#include "core/BookmarkListLocation.h"
#include "engine/FileName.h"
#include "engine/StandardDescriptors.h"
#include "window/OpenPath.h"
#include "window/frmMain.h"

#include <QApplication>
#include <QScreen>

#include <cstdio>

using kelvane::ProgramOptions;

namespace {

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
    const QByteArray bytes = text.toUtf8();
    std::FILE* stream = refused ? stderr : stdout;
    // A closed stream was opened on /dev/null at start: what goes there is lost.
    if (kelvane::StandardDescriptors::wasClosed(refused ? 2 : 1)) {
        return refused ? 2 : 1;
    }
    const bool written = std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()),
                                     stream) == static_cast<std::size_t>(bytes.size()) &&
                         std::fflush(stream) == 0;
    return refused ? 2 : written ? 0 : 1;
}

} // namespace

int main(int argc, char* argv[]) {
    // Before anything opens a file, so that none takes the number of a closed standard stream.
    kelvane::StandardDescriptors::secure();
    // Answered before the toolkit starts: they need no display. Names are taken as the bytes
    // they are.
    const ProgramOptions early = ProgramOptions::parse(kelvane::argumentsOf(argc, argv),
                                                       ProgramOptions::ToolkitOptions::StillThere);
    if (early.request() != ProgramOptions::Request::Start) {
        return answer(early);
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvane"));
    QApplication::setApplicationVersion(QStringLiteral(KELVANE_VERSION));
    kelvane::DesktopIdentity::apply();

    // The toolkit has taken its own options out of argv; what is left are the program's.
    const ProgramOptions options = ProgramOptions::parse(kelvane::argumentsOf(argc, argv),
                                                         ProgramOptions::ToolkitOptions::Taken);
    if (options.request() != ProgramOptions::Request::Start) {
        return answer(options);
    }

    kelvane::frmMain window;
    kelvane::attachCommandSets(window);
    window.Form_Load();
    // On a small screen or at a large scale factor the window opens inside the screen's free
    // area, and scrolls where the form is larger.
    window.openWithin(window.screen()->availableGeometry());
    window.show();
    // A file named on the command line ("Open With" in a file manager) is selected as a click on
    // it would.
    if (!options.fileToOpen().isEmpty()) {
        kelvane::openPathWhenShown(window, options.fileToOpen());
    }
    return QApplication::exec();
}
