// SPDX-License-Identifier: MIT
#include "KelvaneVersion.h"
#include "cli/Arguments.h"
#include "core/BookmarkListLocation.h"

#include <QCoreApplication>

#include <QCommandLineParser>

namespace kelvane::cli {

namespace {

// The options as the parser describes them, from its "Options:" heading on.
QString optionsSection() {
    QCommandLineParser parser;
    parser.addOptions(commandLineOptions());
    const QString text = parser.helpText();
    return text.mid(text.indexOf(QStringLiteral("Options:")));
}

} // namespace

QString helpText() {
    return QStringLiteral(
               "Usage: kelvane-cli [OPTION]... lock SOURCE...\n"
               "  or:  kelvane-cli [OPTION]... unlock SOURCE...\n"
               "  or:  kelvane-cli bookmarks list|clear\n"
               "  or:  kelvane-cli bookmarks add|remove SOURCE [-o OUTPUT]\n"
               "  or:  kelvane-cli [OPTION]... bookmarks lock-all\n"
               "Lock and unlock files with a password: single files, many at once, a stream\n"
               "through a pipe, or every file bookmarked in the Kelvane window.\n"
               "\n"
               "Locking and unlocking are the same transform: unlocking a locked file with the\n"
               "password it was locked with gives the original back; a wrong password gives\n"
               "other bytes without any warning. A SOURCE is never changed.\n"
               "\n"
               "Commands:\n"
               "  lock SOURCE...          lock each SOURCE into a new file\n"
               "  unlock SOURCE...        unlock each SOURCE into a new file\n"
               "  bookmarks list          print the bookmark list, one \"source=output\" line\n"
               "                          per bookmark, exactly as stored\n"
               "  bookmarks add SOURCE    bookmark SOURCE with the output given by -o, or else\n"
               "                          its default locked name; both are stored as full\n"
               "                          paths\n"
               "  bookmarks remove SOURCE\n"
               "                          remove the bookmarks of SOURCE (with -o, only the one\n"
               "                          with that output); SOURCE may also be a whole line as\n"
               "                          bookmarks list prints it\n"
               "  bookmarks clear         remove every bookmark\n"
               "  bookmarks lock-all      lock every bookmarked file into its output with one\n"
               "                          password, and report as the window does\n"
               "\n") +
           optionsSection() +
           QStringLiteral(
               "\n"
               "Output names:\n"
               "  Without -o or --output-dir each output goes beside its SOURCE, named by the\n"
               "  same rule as in the window:\n"
               "    lock    report.txt -> report_locked.txt    README -> README.locked\n"
               "    unlock  report_locked.txt -> report_unlocked.txt\n"
               "  An output appears only once it is complete and flushed to disk. Without\n"
               "  --force nothing is ever replaced, not even a file that appears while the\n"
               "  output is written. A folder, device, pipe or socket is never replaced.\n"
               "\n"
               "Standard input and output:\n"
               "  \"-\" as the SOURCE reads standard input and needs -o. \"-o -\" writes to\n"
               "  standard output as the bytes are made; when standard output is a terminal\n"
               "  this needs --force. A file written from standard input is readable and\n"
               "  writable by its owner only. The bytes are those of the same file locked or\n"
               "  unlocked on disk.\n"
               "\n"
               "Passwords:\n"
               "  Without --password-stdin or --password-file the password is asked on the\n"
               "  terminal (/dev/tty) without echo, twice when locking, also when standard\n"
               "  input is a pipe. It is never taken from the command line. Every route takes\n"
               "  the first line without its line end (\"\\n\" or \"\\r\\n\"), so \"pw\", "
               "\"pw\\n\" "
               "and\n"
               "  \"pw\\r\\n\\n\" are the same password. It may hold only characters of the\n"
               "  Windows-1252 character set, and must not be empty. With several SOURCE files\n"
               "  one password locks or unlocks them all.\n"
               "\n"
               "Bookmarks:\n"
               "  The bookmark list is the file the Kelvane window keeps: bookmarked.txt in\n"
               "  ~/.local/share/Kelvane ($XDG_DATA_HOME/Kelvane when that is set), or, for a\n"
               "  portable copy (a file named kelvane-portable beside the program), beside the\n"
               "  program. Until that list exists, Kelvane/bookmarked.txt in /etc/xdg (each\n"
               "  folder of $XDG_CONFIG_DIRS), then in /usr/local/share and /usr/share (each of\n"
               "  $XDG_DATA_DIRS) is the starting list; it is never written. A list saved by\n"
               "  either program is what the other reads.\n"
               "  bookmarks lock-all refuses, and writes nothing, when outputs exist already,\n"
               "  unless --force is given; it skips bookmarks whose source is missing, whose\n"
               "  output is the source or the source of another bookmark, or whose output is\n"
               "  written by an earlier bookmark, and names each one in its report.\n"
               "\n"
               "Messages:\n"
               "  On success lock and unlock print nothing but, when standard error is a\n"
               "  terminal, the progress of large files, and with more than one SOURCE a\n"
               "  summary line on standard error, such as \"locked 2 of 3 files\".\n"
               "  bookmarks lock-all ends with the report the window shows (with -q, only when\n"
               "  a bookmark was skipped or failed). Each refusal or failure is one line on\n"
               "  standard error.\n"
               "\n"
               "Exit status:\n"
               "  0  done: every file locked or unlocked, every bookmark locked\n"
               "  1  a SOURCE or the bookmark list cannot be read, or an output or the\n"
               "     bookmark list cannot be written\n"
               "  2  bad usage\n"
               "  3  refused: an output exists (use --force), is a folder, device, pipe or\n"
               "     socket, is a SOURCE, or is written twice; binary output to a terminal\n"
               "     (use --force); a bookmark that cannot be added or is not there; an empty\n"
               "     bookmark list\n"
               "  4  password problem: none available, empty, too long, a character outside\n"
               "     the character set, or the two entries differ\n"
               "  When files end differently, the run goes on past each one that fails, and\n"
               "  the exit status is the highest one met.\n"
               "\n"
               "Environment:\n"
               "  KELVANE_DIRECT_IO  1: write files of 1 MiB or more straight to the disk\n"
               "                     (O_DIRECT); 0: through the page cache. Unset: straight\n"
               "                     to a solid-state disk, through the cache elsewhere.\n"
               "\n"
               "Examples:\n"
               "  $ kelvane-cli lock report.txt\n"
               "  $ kelvane-cli lock *.pdf --output-dir /media/backup\n"
               "  $ tar -c docs | kelvane-cli lock - -o docs.tar.locked\n"
               "  $ kelvane-cli unlock docs.tar.locked -o - | tar -x\n"
               "  $ kelvane-cli unlock a_locked.txt --password-file /dev/fd/3 3<pw\n"
               "  $ kelvane-cli bookmarks add report.txt\n"
               "  $ kelvane-cli bookmarks lock-all\n");
}

QString versionText() {
    return QStringLiteral("kelvane-cli " KELVANE_VERSION "\n") +
           BookmarkListLocation::forProgramIn(QCoreApplication::applicationDirPath())
               .portableNote();
}

} // namespace kelvane::cli
