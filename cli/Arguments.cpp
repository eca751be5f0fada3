#include "Arguments.h"

#include "ExitCode.h"
#include "OutputName.h"

#include <QCommandLineParser>

namespace kelvane::cli {

namespace {

CliError usageError(const QString& reason) {
    return CliError(ExitCode::Usage, reason + QStringLiteral(" (see kelvane-cli --help)"));
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

Command commandNamed(const QString& name) {
    if (name == u"lock") {
        return Command::Lock;
    }
    if (name == u"unlock") {
        return Command::Unlock;
    }
    throw usageError(QStringLiteral("Unknown command '%1': use lock or unlock.").arg(name));
}

QString singleValue(const QCommandLineParser& parser, const QCommandLineOption& option,
                    const QString& what) {
    const QStringList values = parser.values(option);
    if (values.size() > 1) {
        throw usageError(QStringLiteral("%1 is given more than once.").arg(what));
    }
    if (values.size() == 1 && values.front().isEmpty()) {
        throw usageError(QStringLiteral("%1 is empty.").arg(what));
    }
    return values.value(0);
}

} // namespace

CommandLine parseCommandLine(const QStringList& commandLine) {
    refusePasswordArgument(commandLine);

    QCommandLineParser parser;
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption version(QStringLiteral("version"), QString());
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")}, QString(),
                                    QStringLiteral("OUTPUT"));
    const QCommandLineOption force(QStringLiteral("force"), QString());
    const QCommandLineOption passwordStdin(QStringLiteral("password-stdin"), QString());
    const QCommandLineOption passwordFile(QStringLiteral("password-file"), QString(),
                                          QStringLiteral("FILE"));
    parser.addOptions({help, version, output, force, passwordStdin, passwordFile});

    if (!parser.parse(commandLine)) {
        throw usageError(parser.errorText());
    }
    CommandLine result;
    if (parser.isSet(help)) {
        result.helpRequested = true;
        return result;
    }
    if (parser.isSet(version)) {
        result.versionRequested = true;
        return result;
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        throw usageError(QStringLiteral("No command given: use lock or unlock."));
    }
    Arguments& arguments = result.arguments;
    arguments.command = commandNamed(positional.front());
    if (positional.size() < 2 || positional[1].isEmpty()) {
        throw usageError(QStringLiteral("No SOURCE file given."));
    }
    if (positional.size() > 2) {
        throw usageError(QStringLiteral("Unexpected argument '%1'.").arg(positional[2]));
    }
    arguments.source = positional[1];

    arguments.output = singleValue(parser, output, QStringLiteral("The output name"));
    if (arguments.output.isEmpty()) {
        arguments.output =
            outputPathFor(arguments.source,
                          arguments.command == Command::Lock ? NameRule::Lock : NameRule::Unlock);
    }
    arguments.force = parser.isSet(force);

    arguments.passwordFile = singleValue(parser, passwordFile, QStringLiteral("The password file"));
    if (parser.isSet(passwordStdin) && parser.isSet(passwordFile)) {
        throw usageError(QStringLiteral("Give either --password-stdin or --password-file, not "
                                        "both."));
    }
    if (parser.isSet(passwordStdin)) {
        arguments.passwordSource = PasswordSource::Stdin;
    } else if (parser.isSet(passwordFile)) {
        arguments.passwordSource = PasswordSource::File;
    }
    return result;
}

QString helpText() {
    return QStringLiteral(
        "Usage: kelvane-cli lock SOURCE [-o OUTPUT] [--force] [PASSWORD OPTION]\n"
        "   or: kelvane-cli unlock SOURCE [-o OUTPUT] [--force] [PASSWORD OPTION]\n"
        "\n"
        "Locks or unlocks SOURCE with a password into a new file. SOURCE itself is never\n"
        "changed. Locking and unlocking are the same transform: unlocking a locked file with\n"
        "the password it was locked with gives the original back; a wrong password gives other\n"
        "bytes without any warning.\n"
        "\n"
        "OUTPUT defaults to a name beside SOURCE:\n"
        "  lock    report.txt -> report_locked.txt    README -> README.locked\n"
        "  unlock  report_locked.txt -> report_unlocked.txt\n"
        "\n"
        "Options:\n"
        "  -o, --output OUTPUT   write to OUTPUT instead of the default name\n"
        "  --force               replace an existing OUTPUT; it is replaced in one step once\n"
        "                        the new content is complete, and left as it was on failure\n"
        "  --password-stdin      read the password from the first line of standard input\n"
        "  --password-file FILE  read the password from the first line of FILE\n"
        "  -h, --help            show this help\n"
        "  --version             show the version\n"
        "\n"
        "Without a password option the password is asked on the terminal without echo, twice\n"
        "when locking. It is never taken from the command line. Every route takes the first\n"
        "line without its line end (\"\\n\" or \"\\r\\n\"), so \"pw\", \"pw\\n\" and "
        "\"pw\\r\\n\\n\" are\n"
        "the same password. It may hold only characters of the Windows-1252 character set and\n"
        "must not be empty.\n"
        "\n"
        "Nothing is printed on success. When standard error is a terminal, large files show\n"
        "their progress there.\n"
        "\n"
        "Exit codes:\n"
        "  0  done\n"
        "  1  SOURCE cannot be read, or OUTPUT cannot be written\n"
        "  2  bad usage\n"
        "  3  refused: OUTPUT exists (use --force; a link there is replaced, never written\n"
        "     through), is a folder, device, pipe or socket, or is SOURCE itself\n"
        "  4  password problem: none available, empty, a character outside the character\n"
        "     set, or the two entries differ\n");
}

} // namespace kelvane::cli
