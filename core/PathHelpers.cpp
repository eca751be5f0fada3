// SPDX-License-Identifier: MIT
#include "core/PathHelpers.h"

#include "engine/FileName.h"

#include <QFile>

#include <algorithm>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace kelvane {

QString getExtension(const QString& Filename) {
    const qsizetype dot = Filename.indexOf(u'.');
    return dot < 0 ? QString() : Filename.mid(dot + 1);
}

int InstrRev(const QString& StringCheck, const QString& StringMatch, int Start, int Compare) {
    const auto length = static_cast<int>(StringCheck.size());
    const auto matchLength = static_cast<int>(StringMatch.size());
    if (matchLength > length || Start > length || Start < -1 || Start == 0) {
        return 0;
    }
    const Qt::CaseSensitivity sensitivity = Compare == 1 ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int i = Start == -1 ? length : Start; i >= 1; --i) {
        if (QStringView(StringCheck).mid(i - 1, matchLength).compare(StringMatch, sensitivity) ==
            0) {
            return i;
        }
    }
    return 0;
}

namespace {

// The names QDir::entryList(filters, QDir::Unsorted) gives for files or folders (links followed;
// a dangling link, device, pipe or socket is a system entry and left out), with hidden names only
// under QDir::Hidden; a name that is not valid text is kept byte for byte (decodeFileName). Read
// with the kinds the folder itself records, so that only links and
// entries of unknown kind cost a look at the file.
QStringList entryNames(const QString& path, QDir::Filters filters) {
    DIR* folder = ::opendir(encodeFileName(path).constData());
    if (folder == nullptr) {
        return {};
    }
    const bool files = filters.testFlag(QDir::Files);
    const bool dirs = filters.testFlag(QDir::Dirs);
    const bool hidden = filters.testFlag(QDir::Hidden);
    QStringList names;
    while (const dirent* entry = ::readdir(folder)) {
        const char* name = entry->d_name;
        if (name[0] == '.' && (!hidden || name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) {
            continue;
        }
        unsigned char kind = entry->d_type;
        if (kind == DT_LNK || kind == DT_UNKNOWN) {
            struct stat status {};
            kind = ::fstatat(::dirfd(folder), name, &status, 0) != 0 ? DT_UNKNOWN
                   : S_ISREG(status.st_mode)                         ? DT_REG
                   : S_ISDIR(status.st_mode)                         ? DT_DIR
                                                                     : DT_UNKNOWN;
        }
        if ((files && kind == DT_REG) || (dirs && kind == DT_DIR)) {
            names.append(decodeFileName(name));
        }
    }
    ::closedir(folder);
    return names;
}

} // namespace

QStringList sortedEntries(const QString& path, QDir::Filters filters) {
    const QStringList names = entryNames(path, filters);
    std::vector<std::pair<QString, QString>> keyed; // (name in lower case, name)
    keyed.reserve(static_cast<std::size_t>(names.size()));
    for (const QString& name : names) {
        keyed.emplace_back(name.toLower(), name);
    }
    std::sort(keyed.begin(), keyed.end());
    QStringList sorted;
    sorted.reserve(names.size());
    for (auto& entry : keyed) {
        sorted.append(std::move(entry.second));
    }
    return sorted;
}

} // namespace kelvane
