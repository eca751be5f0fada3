// SPDX-License-Identifier: MIT
#include "core/PathHelpers.h"

#include "engine/FileName.h"

#include <QFile>

#include <algorithm>
#include <cstring>
#include <string_view>
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

// A name in a folder's entries, and the text it is sorted by.
struct SortedName {
    QByteArrayView key;
    QByteArrayView name;
};

bool isAscii(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(),
                       [](char byte) { return static_cast<unsigned char>(byte) < 0x80; });
}

std::string_view viewOf(QByteArrayView bytes) {
    return {bytes.data(), static_cast<std::size_t>(bytes.size())};
}

// Calls `each` with the offset and the bytes of every name of `entries`, in their order.
template <typename Each> void forEachName(QByteArrayView entries, Each each) {
    qsizetype start = 0;
    for (qsizetype end = 0; end < entries.size(); ++end) {
        if (entries[end] == '\0') {
            each(start, entries.sliced(start, end - start));
            start = end + 1;
        }
    }
}

// Names of ASCII characters only, the most common folder, sort on their bytes: lower-cased ASCII
// compares byte by byte as its UTF-16 text does, and no text is made for the sorting.
std::vector<qsizetype> sortedAsciiOrder(QByteArrayView entries) {
    const QByteArray lower = entries.toByteArray().toLower();
    std::vector<SortedName> names;
    forEachName(entries, [&](qsizetype start, QByteArrayView name) {
        names.push_back({QByteArrayView(lower).sliced(start, name.size()), name});
    });
    std::sort(names.begin(), names.end(), [](const SortedName& a, const SortedName& b) {
        const int byKey = viewOf(a.key).compare(viewOf(b.key));
        return byKey != 0 ? byKey < 0 : viewOf(a.name) < viewOf(b.name);
    });
    std::vector<qsizetype> order;
    order.reserve(names.size());
    for (const SortedName& entry : names) {
        order.push_back(entry.name.data() - entries.data());
    }
    return order;
}

} // namespace

// QDir::entryList(filters, QDir::Unsorted) gives the same names for files or folders (links
// followed; a dangling link, device, pipe or socket is a system entry and left out), with hidden
// names only under QDir::Hidden. Read with the kinds the folder itself records, so that only
// links and entries of unknown kind cost a look at the file.
QByteArray folderEntries(const QString& path, QDir::Filters filters) {
    DIR* folder = ::opendir(encodeFileName(path).constData());
    if (folder == nullptr) {
        return {};
    }
    const bool files = filters.testFlag(QDir::Files);
    const bool dirs = filters.testFlag(QDir::Dirs);
    const bool hidden = filters.testFlag(QDir::Hidden);
    QByteArray entries;
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
            entries.append(name, static_cast<qsizetype>(std::strlen(name)) + 1);
        }
    }
    ::closedir(folder);
    return entries;
}

std::vector<qsizetype> sortedOrder(QByteArrayView entries) {
    if (isAscii(entries)) {
        return sortedAsciiOrder(entries);
    }
    struct Keyed {
        QString key; // the name in lower case
        QString name;
        qsizetype start;
    };
    std::vector<Keyed> names;
    forEachName(entries, [&](qsizetype start, QByteArrayView bytes) {
        QString name = decodeFileName(bytes);
        QString key = name.toLower();
        names.push_back({std::move(key), std::move(name), start});
    });
    std::sort(names.begin(), names.end(), [](const Keyed& a, const Keyed& b) {
        return a.key != b.key ? a.key < b.key : a.name < b.name;
    });
    std::vector<qsizetype> order;
    order.reserve(names.size());
    for (const Keyed& entry : names) {
        order.push_back(entry.start);
    }
    return order;
}

QByteArrayView nameAt(QByteArrayView entries, qsizetype start) {
    return QByteArrayView(entries.data() + start, qstrlen(entries.data() + start));
}

QStringList sortedNames(QByteArrayView entries) {
    QStringList names;
    for (const qsizetype start : sortedOrder(entries)) {
        names.append(decodeFileName(nameAt(entries, start)));
    }
    return names;
}

} // namespace kelvane
