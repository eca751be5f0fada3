// SPDX-License-Identifier: MIT
#pragma once

#include "core/PathResolver.h"

#include <QSet>
#include <QString>

namespace kelvane {

// The checks of a run of many files that look at all of its files together: no output may be its
// own source, another file the run reads, or the output of an earlier file of the run. Every path
// is resolved once (PathResolver), and the paths are compared through sets, so the checks of a
// run take time in proportion to its files.
//
// Paths meet when they reach one file, links followed, or name one place: the same name in the
// same folder once the folder is resolved, so that two outputs that do not exist yet meet through
// a linked folder too.
class RunChecks {
public:
    enum class Clash {
        None,
        OutputIsSource, // the output is the file's own source
        OutputIsInput,  // the output is the source of another file of the run
        OutputRepeated, // an earlier file of the run has the same output
    };

    explicit RunChecks(PathResolver& resolver) : m_resolver(resolver) {}

    // Each source of the run, before any check.
    void addSource(const QString& source);

    // The first rule the output of `source` breaks, in the order of Clash. An empty `source`
    // (a stream) has no file to compare.
    Clash check(const QString& source, const QString& output);

    // The run writes `output`: a later file may not.
    void claim(const QString& output);

    PathResolver& resolver() { return m_resolver; }

private:
    struct Seen {
        QHash<QString, int> places;
        QHash<FileIdentity, int> files;

        void add(const ResolvedPath& path);
        // How many of the added paths meet `path`.
        int meeting(const ResolvedPath& path) const;
    };

    PathResolver& m_resolver;
    Seen m_sources;
    Seen m_outputs;
};

} // namespace kelvane
