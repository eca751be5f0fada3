// SPDX-License-Identifier: MIT
#include "cli/LockAll.h"

#include "cli/BookmarkList.h"
#include "cli/Messages.h"
#include "cli/PasswordInput.h"
#include "cli/ProgressLine.h"
#include "core/BatchPlan.h"
#include "core/BatchReport.h"
#include "engine/EngineError.h"
#include "engine/RndCrypt.h"

#include <QFile>
#include <QFileInfo>

#include <exception>

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

    BatchReport report(static_cast<int>(plan.steps().size()));
    ExitCode code = ExitCode::Done;
    for (const BatchPlan::Step& step : plan.steps()) {
        BatchPlan::Action skip = step.action;
        // The source may have gone while earlier entries were locked.
        if (skip == BatchPlan::Action::Lock && !QFileInfo(step.paths.source).isFile()) {
            skip = BatchPlan::Action::SkipSourceMissing;
        }
        if (skip != BatchPlan::Action::Lock) {
            report.skipped(BatchPlan::nameOf(step), BatchPlan::skipReason(skip));
            code = worse(code, exitCodeForSkip(skip));
            continue;
        }
        try {
            ProgressLine progress("Locking " + QFile::encodeName(step.paths.source),
                                  QFileInfo(step.paths.source).size(), !m_arguments.quiet);
            // Only the outputs that existed when the run was agreed to may be replaced; one
            // that appears meanwhile fails its entry.
            RndCrypt(step.paths.source, step.paths.output, password, progress.step(),
                     step.replacesOutput ? Replace::Existing : Replace::Nothing);
            report.locked();
        } catch (const EngineError& error) {
            report.failed(BatchPlan::nameOf(step), error.message());
            code = worse(code, exitCodeFor(error.kind()));
        } catch (const std::exception& error) {
            report.failed(BatchPlan::nameOf(step), QString::fromLocal8Bit(error.what()));
            code = worse(code, ExitCode::ReadWriteFailure);
        }
    }
    if (!report.allLocked() || !m_arguments.quiet) {
        reportNotice(report.message());
    }
    return code;
}

} // namespace kelvane::cli
