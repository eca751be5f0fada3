// SPDX-License-Identifier: MIT
#include "app/ProgramOptions.h"

#include "KelvaneVersion.h"

#include <QCommandLineParser>

namespace kelvane {

namespace {

// The options that QApplication takes out of the command line on this platform, by name
// without dashes: those followed by a value, and those that stand alone. Qt takes them with one
// dash or two, and a value also after "=".
const QStringList kToolkitOptionsWithValue = {
    QStringLiteral("platform"),        QStringLiteral("platformpluginpath"),
    QStringLiteral("platformtheme"),   QStringLiteral("plugin"),
    QStringLiteral("qwindowgeometry"), QStringLiteral("geometry"),
    QStringLiteral("qwindowicon"),     QStringLiteral("icon"),
    QStringLiteral("qwindowtitle"),    QStringLiteral("title"),
    QStringLiteral("display"),         QStringLiteral("name"),
    QStringLiteral("style"),           QStringLiteral("stylesheet"),
    QStringLiteral("session"),         QStringLiteral("qmljsdebugger"),
};
const QStringList kToolkitFlags = {
    QStringLiteral("reverse"), QStringLiteral("widgetcount"), QStringLiteral("testability"),
    QStringLiteral("nograb"),  QStringLiteral("dograb"),      QStringLiteral("sync"),
};

// `arguments` without the toolkit's options, so that what is left can be judged before the
// toolkit starts (and before it needs a display).
QStringList withoutToolkitOptions(const QStringList& arguments) {
    QStringList left = arguments.mid(0, 1);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == u"--") {
            left += arguments.sliced(i);
            break;
        }
        QString name = argument.startsWith(u"--")  ? argument.mid(2)
                       : argument.startsWith(u'-') ? argument.mid(1)
                                                   : QString();
        const bool hasValue = name.contains(u'=');
        name = name.section(u'=', 0, 0);
        if (!name.isEmpty() && kToolkitOptionsWithValue.contains(name)) {
            i += hasValue ? 0 : 1;
            continue;
        }
        if (!name.isEmpty() && !hasValue && kToolkitFlags.contains(name)) {
            continue;
        }
        left += argument;
    }
    return left;
}

} // namespace

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
    const bool understood = parser.parse(
        toolkit == ToolkitOptions::StillThere ? withoutToolkitOptions(arguments) : arguments);

    ProgramOptions options;
    if (parser.isSet(help)) {
        options.m_request = Request::Help;
    } else if (parser.isSet(version)) {
        options.m_request = Request::Version;
    } else if (!understood) {
        options.m_request = Request::Usage;
        options.m_error = parser.errorText();
    } else if (toolkit == ToolkitOptions::Taken) {
        options.m_files = parser.positionalArguments();
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
