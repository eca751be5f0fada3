#pragma once

#include "BookmarkEntry.h"

#include <QString>

#include <vector>

class QListWidget;

namespace kelvane {

class vTools;

// What a batch lock does with each bookmark, decided before anything is written.
class BatchPlan {
public:
    enum class Action {
        Lock,
        SkipMalformed,      // not one source path and one output path
        SkipSourceMissing,  // no file at the source path
        SkipOutputIsSource, // the output is the source file itself
        SkipOutputRepeated  // an earlier entry of the run writes the same output
    };

    struct Step {
        QString text;        // the entry as the list shows it
        BookmarkEntry paths; // empty when malformed
        Action action = Action::SkipMalformed;
        bool replacesOutput = false; // a file exists at the output path
    };

    // Looks at every entry of `list`, top to bottom; `scratch` is the hidden list box that the
    // entries are split into.
    BatchPlan(const QListWidget& list, const vTools& tools, QListWidget& scratch);

    const std::vector<Step>& steps() const { return m_steps; }

    // The entries to lock whose output file exists already.
    int existingOutputs() const;

private:
    std::vector<Step> m_steps;
};

} // namespace kelvane
