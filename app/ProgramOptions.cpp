// SPDX-License-Identifier: MIT
#include "app/ProgramOptions.h"

#include "KelvaneVersion.h"

#include <QCommandLineParser>

namespace kelvane {

ProgramOptions ProgramOptions::parse(const QStringList& arguments, ToolkitOptions toolkit) {
    QCommandLineParser parser;
    // "-style" is one option of the toolkit, not the letters s, t, y, l, e.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version."));
    parser.addOptions({help, version});
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("File to select in the window"),
                                 QStringLiteral("[FILE...]"));
    const bool understood = parser.parse(arguments);

    ProgramOptions options;
    if (parser.isSet(help)) {
        options.m_request = Request::Help;
    } else if (parser.isSet(version)) {
        options.m_request = Request::Version;
    } else if (toolkit == ToolkitOptions::Taken) {
        if (understood) {
            options.m_files = parser.positionalArguments();
        } else {
            options.m_request = Request::Usage;
            options.m_error = parser.errorText();
        }
    }
    return options;
}

QString ProgramOptions::helpText() {
    return QStringLiteral(
        "Usage: kelvane [OPTION]... [FILE]...\n"
        "Locks and unlocks files with a password, in a window: pick a file, type a password and\n"
        "press one button. Kelvane writes a new file beside the source and never changes the\n"
        "source. A list of bookmarked files can be locked with one password.\n"
        "\n"
        "Arguments:\n"
        "  FILE           a file to select in the window, as a click on it in the file\n"
        "                 list does (with several, the first one); a folder is opened\n"
        "\n"
        "Options:\n"
        "  -h, --help     show this help\n"
        "  -v, --version  show the version\n"
        "\n"
        "The window also takes the options of the Qt toolkit, such as -platform NAME,\n"
        "-style NAME and -display DISPLAY.\n"
        "\n"
        "The lock is light obfuscation, not strong encryption. kelvane-cli locks and unlocks\n"
        "from the command line.\n");
}

QString ProgramOptions::versionText() {
    return QStringLiteral("kelvane " KELVANE_VERSION "\n");
}

} // namespace kelvane
