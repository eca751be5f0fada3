// SPDX-License-Identifier: MIT
#pragma once

#include "core/BatchPlan.h"
#include "core/BatchReport.h"
#include "engine/Cipher.h"
#include "engine/EngineError.h"
#include "engine/OutputGroup.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

namespace kelvane {

// The batch lock of both programs: the entries of a plan locked top to bottom with one password,
// each checked again when its turn comes (its source may have gone meanwhile; a file that
// appears at its output fails it), every outcome told in one report. An entry that fails does not
// stop the others; a run the user stops (the yield step throws EngineError(Cancelled)) names the
// entry it was locking and those it did not start. Finished outputs reach the disk in groups
// (OutputGroup): an entry counts as locked, and `finished` is called for it, once its output is
// durable under its name.
class BatchRun {
public:
    // Where the run stands when an entry starts: file `file` (from 1) of `files`, after `before`
    // bytes of the `all` bytes the whole batch reads.
    struct Position {
        int file = 0;
        int files = 0;
        std::uint64_t before = 0;
        std::uint64_t all = 0;
    };

    // How one entry ended: locked, skipped (and why), failed (and how), or stopped.
    struct Outcome {
        BatchPlan::Action skip = BatchPlan::Action::Lock;
        std::optional<EngineError::Kind> failure;
        bool stopped = false;
    };

    BatchRun(const BatchPlan& plan, QString password);

    // Whether the source of an entry is there when its turn comes; a regular file unless set.
    std::function<bool(const QString& source)> sourceExists;
    // Called as each entry's turn comes, before it is checked again.
    std::function<void(int index, const Position& position)> starting;
    // The transform's yield step for the entry at `position`; none unless set.
    std::function<YieldStep(const BatchPlan::Step& step, const Position& position)> yieldFor;
    // Called as each entry ends.
    std::function<void(const BatchPlan::Step& step, const Outcome& outcome)> finished;

    // Runs the batch and returns its report.
    BatchReport run() const;

private:
    // The entry's outcome, or none when it comes later, once the group has flushed the output.
    std::optional<Outcome> lock(const BatchPlan::Step& step, const Position& position,
                                BatchReport& report, OutputGroup& group) const;

    const BatchPlan& m_plan;
    QString m_password;
};

} // namespace kelvane
