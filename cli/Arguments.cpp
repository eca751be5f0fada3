// SPDX-License-Identifier: MIT
#include "cli/Arguments.h"

#include "cli/ExitCode.h"
#include "cli/Terminal.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <algorithm>
#include <map>

namespace kelvane::cli {

namespace {

struct Options {
    QCommandLineOption output{
        {QStringLiteral("o"), QStringLiteral("output")},
        QStringLiteral("Write to OUTPUT instead of the default name; \"-\" writes to standard "
                       "output. Only with one SOURCE. With bookmarks add and remove: the "
                       "bookmark's output."),
        QStringLiteral("OUTPUT")};
    QCommandLineOption outputDir{
        QStringLiteral("output-dir"),
        QStringLiteral("Put each output in the folder DIR, under its default name."),
        QStringLiteral("DIR")};
    QCommandLineOption force{
        QStringLiteral("force"),
        QStringLiteral("Replace an existing output (in one step, once the new file is complete; "
                       "a link there is replaced, never written through). Also writes binary "
                       "output to a terminal, and lets bookmarks lock-all replace the outputs "
                       "that exist.")};
    QCommandLineOption passwordStdin{
        QStringLiteral("password-stdin"),
        QStringLiteral("Read the password from the first line of standard input (not when a "
                       "SOURCE is \"-\").")};
    QCommandLineOption passwordFile{
        QStringLiteral("password-file"),
        QStringLiteral("Read the password from the first line of FILE. /dev/fd/N reads it from "
                       "the open descriptor N, as in: --password-file /dev/fd/3 3<secret.txt"),
        QStringLiteral("FILE")};
    QCommandLineOption quiet{{QStringLiteral("q"), QStringLiteral("quiet")},
                             QStringLiteral("Show no progress and no summary line; errors are "
                                            "still shown.")};
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")},
                            QStringLiteral("Show this help and exit.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Show the version and exit.")};

    QList<QCommandLineOption> all() const {
        return {output, outputDir, force, passwordStdin, passwordFile, quiet, help, version};
    }
};

CliError usageError(const QString& reason) {
    return CliError(ExitCode::Usage, reason + QStringLiteral(" (see kelvane-cli --help)"));
}

// An option name as it is typed: "-q", "--quiet".
QString typed(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// The spelling the user typed for `option` (the first one found), with its dashes.
QString typedName(const QCommandLineParser& parser, const QCommandLineOption& option) {
    for (const QString& name : parser.optionNames()) {
        if (option.names().contains(name)) {
            return typed(name);
        }
    }
    return typed(option.names().constLast());
}

// A password on the command line would show in the process list and the shell history, so
// the usual spellings get a pointed refusal instead of "unknown option".
void refusePasswordArgument(const QStringList& commandLine) {
    for (const QString& argument : commandLine.sliced(1)) {
        if (argument == u"--") {
            return;
        }
        if (argument == u"--password" || argument.startsWith(u"--password=") || argument == u"-p") {
            throw usageError(QStringLiteral("The password is never taken from the command line; "
                                            "use the terminal prompt, --password-stdin or "
                                            "--password-file."));
        }
    }
}

// The parser's own complaint, with the options named as typed.
QString parseError(const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        return QStringLiteral("Unknown option %1.").arg(typed(unknown.front()));
    }
    QString text = parser.errorText();
    static const QRegularExpression quotedName(QStringLiteral("'-*([^']+)'"));
    const QRegularExpressionMatch match = quotedName.match(text);
    if (match.hasMatch()) {
        text.replace(match.capturedStart(), match.capturedLength(), typed(match.captured(1)));
    }
    return text;
}

QString singleValue(const QCommandLineParser& parser, const QCommandLineOption& option) {
    const QStringList values = parser.values(option);
    if (values.size() > 1) {
        throw usageError(
            QStringLiteral("%1 is given more than once.").arg(typedName(parser, option)));
    }
    if (values.size() == 1 && values.front().isEmpty()) {
        throw usageError(QStringLiteral("%1 is empty.").arg(typedName(parser, option)));
    }
    return values.value(0);
}

const std::map<QString, Command>& bookmarkCommands() {
    static const std::map<QString, Command> commands{
        {QStringLiteral("list"), Command::BookmarksList},
        {QStringLiteral("add"), Command::BookmarksAdd},
        {QStringLiteral("remove"), Command::BookmarksRemove},
        {QStringLiteral("clear"), Command::BookmarksClear},
        {QStringLiteral("lock-all"), Command::BookmarksLockAll},
    };
    return commands;
}

// The command and its arguments, from the positional arguments.
void readCommand(const QStringList& positional, Arguments& arguments) {
    if (positional.isEmpty()) {
        throw usageError(QStringLiteral("No command given: use lock, unlock or bookmarks."));
    }
    const QString& name = positional.front();
    if (name == u"lock" || name == u"unlock") {
        arguments.command = name == u"lock" ? Command::Lock : Command::Unlock;
        arguments.sources = positional.sliced(1);
        if (arguments.sources.isEmpty()) {
            throw usageError(QStringLiteral("No SOURCE file given."));
        }
        if (arguments.sources.contains(QString())) {
            throw usageError(QStringLiteral("A SOURCE is empty."));
        }
        if (arguments.sources.count(kStandardStream) > 1) {
            throw usageError(QStringLiteral("Standard input (\"-\") can be a SOURCE only once."));
        }
        return;
    }
    if (name != u"bookmarks") {
        throw usageError(
            QStringLiteral("Unknown command \"%1\": use lock, unlock or bookmarks.").arg(name));
    }
    const QString sub = positional.value(1);
    const auto found = bookmarkCommands().find(sub);
    if (found == bookmarkCommands().end()) {
        throw usageError(
            sub.isEmpty()
                ? QStringLiteral("No bookmarks command given: use list, add, remove, clear or "
                                 "lock-all.")
                : QStringLiteral("Unknown bookmarks command \"%1\": use list, add, remove, clear "
                                 "or lock-all.")
                      .arg(sub));
    }
    arguments.command = found->second;
    arguments.sources = positional.sliced(2);
    const bool takesSource =
        arguments.command == Command::BookmarksAdd || arguments.command == Command::BookmarksRemove;
    if (takesSource && arguments.sources.isEmpty()) {
        throw usageError(QStringLiteral("No SOURCE file given."));
    }
    const qsizetype allowed = takesSource ? 1 : 0;
    if (arguments.sources.size() > allowed) {
        throw usageError(
            QStringLiteral("Unexpected argument \"%1\".").arg(arguments.sources[allowed]));
    }
    if (takesSource &&
        (arguments.sources.front().isEmpty() || arguments.sources.front() == kStandardStream)) {
        throw usageError(QStringLiteral("A bookmark needs a file as its SOURCE."));
    }
}

// The command as it is typed.
QString commandName(Command command) {
    if (command == Command::Lock || command == Command::Unlock) {
        return command == Command::Lock ? QStringLiteral("lock") : QStringLiteral("unlock");
    }
    for (const auto& [name, bookmarkCommand] : bookmarkCommands()) {
        if (bookmarkCommand == command) {
            return QStringLiteral("bookmarks ") + name;
        }
    }
    return QString();
}

// Each option that the command has no use for is refused, rather than silently ignored.
void refuseInapplicable(const QCommandLineParser& parser, const Options& o, Command command) {
    QList<QCommandLineOption> applicable{o.quiet};
    switch (command) {
    case Command::Lock:
    case Command::Unlock:
        applicable += {o.output, o.outputDir, o.force, o.passwordStdin, o.passwordFile};
        break;
    case Command::BookmarksAdd:
    case Command::BookmarksRemove:
        applicable += o.output;
        break;
    case Command::BookmarksLockAll:
        applicable += {o.force, o.passwordStdin, o.passwordFile};
        break;
    case Command::BookmarksList:
    case Command::BookmarksClear:
        break;
    }
    for (const QCommandLineOption& option : o.all()) {
        const bool fits = std::any_of(applicable.begin(), applicable.end(),
                                      [&](const auto& a) { return a.names() == option.names(); });
        if (!fits && parser.isSet(option)) {
            throw usageError(QStringLiteral("%1 does not apply to %2.")
                                 .arg(typedName(parser, option), commandName(command)));
        }
    }
}

void readPasswordRoute(const QCommandLineParser& parser, const Options& o, Arguments& arguments) {
    arguments.passwordFile = singleValue(parser, o.passwordFile);
    if (parser.isSet(o.passwordStdin) && parser.isSet(o.passwordFile)) {
        throw usageError(
            QStringLiteral("Give either %1 or %2, not both.")
                .arg(typedName(parser, o.passwordStdin), typedName(parser, o.passwordFile)));
    }
    if (parser.isSet(o.passwordStdin)) {
        if (arguments.readsStandardInput()) {
            throw usageError(QStringLiteral("%1 cannot be used when a SOURCE is \"-\": standard "
                                            "input carries the data. Type the password at the "
                                            "prompt or use --password-file.")
                                 .arg(typedName(parser, o.passwordStdin)));
        }
        arguments.passwordSource = PasswordSource::Stdin;
    } else if (parser.isSet(o.passwordFile)) {
        // The same stream under another name: reading the password there would take the
        // data's first bytes with it.
        if (arguments.readsStandardInput() && isStandardInput(arguments.passwordFile)) {
            throw usageError(QStringLiteral("%1 %2 cannot be used when a SOURCE is \"-\": it is "
                                            "standard input, which carries the data. Type the "
                                            "password at the prompt or use another file.")
                                 .arg(typedName(parser, o.passwordFile), arguments.passwordFile));
        }
        arguments.passwordSource = PasswordSource::File;
    }
}

// Where the outputs of lock and unlock go.
void readOutputs(const QCommandLineParser& parser, const Options& o, Arguments& arguments) {
    const QString outputName = typedName(parser, o.output);
    if (arguments.readsStandardInput() && arguments.sources.size() > 1) {
        throw usageError(QStringLiteral("Standard input (\"-\") is locked or unlocked on its own, "
                                        "with -o OUTPUT; give it as the only SOURCE."));
    }
    if (!arguments.output.isEmpty() && !arguments.outputDir.isEmpty()) {
        throw usageError(QStringLiteral("Give either %1 or %2, not both.")
                             .arg(outputName, typedName(parser, o.outputDir)));
    }
    if (!arguments.output.isEmpty() && arguments.sources.size() > 1) {
        throw usageError(QStringLiteral("%1 is only allowed with one SOURCE; use --output-dir "
                                        "for several.")
                             .arg(outputName));
    }
    if (arguments.readsStandardInput() && arguments.output.isEmpty()) {
        throw usageError(QStringLiteral("Reading standard input (\"-\") needs %1 OUTPUT: there "
                                        "is no name to derive one from.")
                             .arg(parser.isSet(o.output) ? outputName : QStringLiteral("-o")));
    }
}

} // namespace

QList<QCommandLineOption> commandLineOptions() {
    return Options().all();
}

CommandLine parseCommandLine(const QStringList& commandLine) {
    refusePasswordArgument(commandLine);

    const Options o;
    QCommandLineParser parser;
    parser.addOptions(o.all());
    if (!parser.parse(commandLine)) {
        throw usageError(parseError(parser));
    }
    CommandLine result;
    if (parser.isSet(o.help)) {
        result.request = CommandLine::Request::Help;
        return result;
    }
    if (parser.isSet(o.version)) {
        result.request = CommandLine::Request::Version;
        return result;
    }

    Arguments& arguments = result.arguments;
    readCommand(parser.positionalArguments(), arguments);
    refuseInapplicable(parser, o, arguments.command);
    arguments.output = singleValue(parser, o.output);
    arguments.outputDir = singleValue(parser, o.outputDir);
    arguments.force = parser.isSet(o.force);
    arguments.quiet = parser.isSet(o.quiet);
    readPasswordRoute(parser, o, arguments);
    if (arguments.command == Command::Lock || arguments.command == Command::Unlock) {
        readOutputs(parser, o, arguments);
    } else if (arguments.output == kStandardStream) {
        throw usageError(QStringLiteral("A bookmark needs a file as its output, not standard "
                                        "output (\"-\")."));
    } else if (arguments.command == Command::BookmarksRemove && !arguments.output.isEmpty() &&
               arguments.sources.front().contains(u'=')) {
        throw usageError(QStringLiteral("A whole bookmark line names its output already; leave "
                                        "out %1.")
                             .arg(typedName(parser, o.output)));
    }
    return result;
}

} // namespace kelvane::cli
