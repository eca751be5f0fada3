// SPDX-License-Identifier: MIT
#pragma once

#include "core/BookmarkEntry.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

namespace kelvane {

class PathResolver;

// What a batch lock does with each bookmark, decided before anything is written.
class BatchPlan {
public:
    enum class Action {
        Lock,
        SkipMalformed,      // not one source path and one output path
        SkipSourceMissing,  // no file at the source path
        SkipOutputIsSource, // the output is the source file itself
        SkipOutputIsInput,  // the output is the source of another bookmark of the run
        SkipOutputRepeated, // an earlier entry of the run writes the same output
        SkipOutputNotFile,  // a folder, device, pipe or socket is at the output
    };

    struct Step {
        QString text;        // the entry as the list shows it
        BookmarkEntry paths; // empty when malformed
        Action action = Action::SkipMalformed;
        bool replacesOutput = false; // a file or link is at the output path
    };

    using Splitter = std::function<std::optional<BookmarkEntry>(const QString& text)>;

    // Looks at every entry, top to bottom, split into its two paths by `split`.
    //
    // Locking into a file that another entry locks would destroy that file's content and, in a
    // chain (a=b, b=c), leave one entry's plain content under another's locked name; such an
    // entry is skipped, before or after the other one in the list, for any spelling of the path.
    //
    // Each path is looked at once and the entries are compared through sets (RunChecks), so the
    // plan takes time in proportion to the entries.
    BatchPlan(const QStringList& entries, const Splitter& split = &BookmarkEntry::parse);
    // The same with the paths resolved by `resolver`, which counts the calls to the system.
    BatchPlan(const QStringList& entries, PathResolver& resolver);

    const std::vector<Step>& steps() const { return m_steps; }

    // The entries to lock whose output exists already.
    int existingOutputs() const;

    // Why an entry is skipped, as the report tells it.
    static QString skipReason(Action action);

    // How the report names an entry: its source path, or its whole text when it has no usable
    // paths.
    static QString nameOf(const Step& step);

private:
    void plan(const QStringList& entries, const Splitter& split, PathResolver& resolver);

    std::vector<Step> m_steps;
};

} // namespace kelvane
