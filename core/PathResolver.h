// SPDX-License-Identifier: MIT
#pragma once

#include "engine/AtomicOutput.h"

#include <QHash>
#include <QString>

#include <cstdint>
#include <optional>

namespace kelvane {

// A file as the system knows it, whatever the path that reaches it.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;

    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

inline size_t qHash(const FileIdentity& id, size_t seed = 0) noexcept {
    return qHashMulti(seed, id.device, id.inode);
}

// A path as far as the file system resolves it.
struct ResolvedPath {
    // The place the path names: its folder resolved (links, "..", "."), then its name, the last
    // link not followed. Two paths with one place are one name in one folder, existing or not.
    QString place;
    // What is at the place, a link not followed.
    OutputPlace kind = OutputPlace::Free;
    // The file the path reaches, links followed; none when nothing is there (a dangling link).
    std::optional<FileIdentity> file;
    // The path reaches a regular file.
    bool isFile = false;
};

// Resolves paths with as few calls to the system as it can: each folder is resolved once, and
// each path is looked at once. The calls are counted, so that it can be seen that a plan makes a
// number of them in proportion to its files.
class PathResolver {
public:
    // The path resolved; the same path given again is not looked at again.
    const ResolvedPath& resolve(const QString& path);

    // The calls to the system made so far.
    std::uint64_t systemCalls() const { return m_calls; }

private:
    QString absolute(const QString& path);
    QString canonicalFolder(const QString& folder);

    QHash<QString, ResolvedPath> m_paths;
    QHash<QString, QString> m_folders;
    QString m_current; // the working folder, asked once
    std::uint64_t m_calls = 0;
};

} // namespace kelvane
