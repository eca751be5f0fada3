// SPDX-License-Identifier: MIT
#include "core/BatchRun.h"

#include "engine/RndCrypt.h"

#include <QFileInfo>

#include <exception>
#include <vector>

namespace kelvane {

BatchRun::BatchRun(const BatchPlan& plan, QString password)
    : m_plan(plan), m_password(std::move(password)) {}

BatchReport BatchRun::run() const {
    const std::vector<BatchPlan::Step>& steps = m_plan.steps();
    const int count = static_cast<int>(steps.size());
    // The progress counts the bytes of the whole batch, as far as they are known now.
    std::vector<std::uint64_t> sizes;
    sizes.reserve(steps.size());
    std::uint64_t all = 0;
    for (const BatchPlan::Step& step : steps) {
        sizes.push_back(step.action == BatchPlan::Action::Lock
                            ? static_cast<std::uint64_t>(QFileInfo(step.paths.source).size())
                            : 0);
        all += sizes.back();
    }
    BatchReport report(count);
    // Declared after the report, so that a group left unflushed by an exception is discarded
    // before the report its callbacks write to.
    OutputGroup group;
    std::uint64_t before = 0;
    for (int i = 0; i < count; ++i) {
        const auto index = static_cast<std::size_t>(i);
        const Position position{i + 1, count, before, all};
        if (starting) {
            starting(i, position);
        }
        const std::optional<Outcome> outcome = lock(steps[index], position, report, group);
        if (outcome && finished) {
            finished(steps[index], *outcome);
        }
        if (outcome && outcome->stopped) {
            for (std::size_t rest = index + 1; rest < steps.size(); ++rest) {
                report.notStarted(BatchPlan::nameOf(steps[rest]));
            }
            break;
        }
        before += sizes[index];
    }
    // The files finished before a stop are kept too.
    group.flush();
    return report;
}

std::optional<BatchRun::Outcome> BatchRun::lock(const BatchPlan::Step& step,
                                                const Position& position, BatchReport& report,
                                                OutputGroup& group) const {
    Outcome outcome;
    outcome.skip = step.action;
    // The source may have gone while earlier entries were locked.
    if (outcome.skip == BatchPlan::Action::Lock &&
        !(sourceExists ? sourceExists(step.paths.source) : QFileInfo(step.paths.source).isFile())) {
        outcome.skip = BatchPlan::Action::SkipSourceMissing;
    }
    if (outcome.skip != BatchPlan::Action::Lock) {
        report.skipped(BatchPlan::nameOf(step), BatchPlan::skipReason(outcome.skip));
        return outcome;
    }
    try {
        // Only the outputs that existed when the run was agreed to may be replaced; one that
        // appears meanwhile fails its entry.
        RndCrypt(
            step.paths.source, step.paths.output, m_password, group,
            [this, &step, &report](const EngineError* error) {
                Outcome published;
                if (error != nullptr) {
                    published.failure = error->kind();
                    report.failed(BatchPlan::nameOf(step), error->message());
                } else {
                    report.locked();
                }
                if (finished) {
                    finished(step, published);
                }
            },
            yieldFor ? yieldFor(step, position) : YieldStep(),
            step.replacesOutput ? Replace::Existing : Replace::Nothing);
        return std::nullopt;
    } catch (const EngineError& error) {
        if (error.kind() == EngineError::Kind::Cancelled) {
            outcome.stopped = true;
            report.interrupted(BatchPlan::nameOf(step));
            return outcome;
        }
        outcome.failure = error.kind();
        report.failed(BatchPlan::nameOf(step), error.message());
    } catch (const std::exception& error) {
        outcome.failure = EngineError::Kind::Read;
        report.failed(BatchPlan::nameOf(step), QString::fromLocal8Bit(error.what()));
    }
    return outcome;
}

} // namespace kelvane
