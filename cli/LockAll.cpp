// SPDX-License-Identifier: MIT
#include "cli/LockAll.h"

#include "cli/BookmarkList.h"
#include "cli/Messages.h"
#include "cli/PasswordInput.h"
#include "cli/ProgressLine.h"
#include "core/BatchPlan.h"
#include "core/BatchReport.h"
#include "core/BatchRun.h"

#include <QFile>
#include <QFileInfo>

#include <memory>

namespace kelvane::cli {

namespace {

// The window asks once whether the outputs that exist may be replaced; here the answer is
// --force, and without it nothing at all is written.
void refuseExistingOutputs(const BatchPlan& plan) {
    QStringList outputs;
    for (const BatchPlan::Step& step : plan.steps()) {
        if (step.action == BatchPlan::Action::Lock && step.replacesOutput) {
            outputs.append(quoted(step.paths.output));
        }
    }
    const QString listed = outputs.join(QStringLiteral(", "));
    throw CliError(ExitCode::Refused,
                   outputs.size() == 1
                       ? QStringLiteral("1 target file exists and would be replaced: %1. Use "
                                        "--force to replace it; nothing was locked.")
                             .arg(listed)
                       : QStringLiteral("%1 target files exist and would be replaced: %2. Use "
                                        "--force to replace them; nothing was locked.")
                             .arg(outputs.size())
                             .arg(listed));
}

ExitCode exitCodeForSkip(BatchPlan::Action action) {
    return action == BatchPlan::Action::SkipSourceMissing ? ExitCode::ReadWriteFailure
                                                          : ExitCode::Refused;
}

} // namespace

ExitCode LockAll::run() const {
    const QStringList entries = BookmarkList().entries();
    if (entries.isEmpty()) {
        throw CliError(ExitCode::Refused, QStringLiteral("There are no files to lock."));
    }
    const BatchPlan plan(entries);
    if (plan.existingOutputs() > 0 && !m_arguments.force) {
        refuseExistingOutputs(plan);
    }
    const QString password = readPassword(m_arguments);

    BatchRun run(plan, password);
    run.yieldFor = [this](const BatchPlan::Step& step, const BatchRun::Position&) -> YieldStep {
        auto line =
            std::make_shared<ProgressLine>("Locking " + QFile::encodeName(step.paths.source),
                                           QFileInfo(step.paths.source).size(), !m_arguments.quiet);
        const YieldStep draw = line->step();
        if (!draw) {
            return {};
        }
        // The line lives as long as the transform's yield step, and is cleared after it.
        return [line, draw](std::uint64_t done, std::uint64_t total) { draw(done, total); };
    };
    ExitCode code = ExitCode::Done;
    run.finished = [&code](const BatchPlan::Step&, const BatchRun::Outcome& outcome) {
        if (outcome.skip != BatchPlan::Action::Lock) {
            code = worse(code, exitCodeForSkip(outcome.skip));
        } else if (outcome.failure) {
            code = worse(code, exitCodeFor(*outcome.failure));
        }
    };
    const BatchReport report = run.run();
    if (!report.allLocked() || !m_arguments.quiet) {
        reportNotice(report.message());
    }
    return code;
}

} // namespace kelvane::cli
