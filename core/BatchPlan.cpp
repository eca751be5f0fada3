// SPDX-License-Identifier: MIT
#include "core/BatchPlan.h"

#include "core/RunChecks.h"

#include <QDir>

#include <algorithm>

namespace kelvane {

namespace {

BatchPlan::Action actionFor(const BookmarkEntry& entry, RunChecks& checks) {
    if (!checks.resolver().resolve(entry.source).isFile) {
        return BatchPlan::Action::SkipSourceMissing;
    }
    switch (checks.check(entry.source, entry.output)) {
    case RunChecks::Clash::OutputIsSource:
        return BatchPlan::Action::SkipOutputIsSource;
    case RunChecks::Clash::OutputIsInput:
        return BatchPlan::Action::SkipOutputIsInput;
    case RunChecks::Clash::OutputRepeated:
        // A second entry with the same output would silently replace what the first one wrote.
        return BatchPlan::Action::SkipOutputRepeated;
    case RunChecks::Clash::None:
        break;
    }
    checks.claim(entry.output);
    const OutputPlace place = checks.resolver().resolve(entry.output).kind;
    if (place == OutputPlace::Folder || place == OutputPlace::Special) {
        return BatchPlan::Action::SkipOutputNotFile;
    }
    return BatchPlan::Action::Lock;
}

} // namespace

BatchPlan::BatchPlan(const QStringList& entries, const Splitter& split) {
    PathResolver resolver;
    plan(entries, split, resolver);
}

BatchPlan::BatchPlan(const QStringList& entries, PathResolver& resolver) {
    plan(entries, &BookmarkEntry::parse, resolver);
}

void BatchPlan::plan(const QStringList& entries, const Splitter& split, PathResolver& resolver) {
    m_steps.reserve(static_cast<std::size_t>(entries.size()));
    RunChecks checks(resolver);
    for (const QString& text : entries) {
        Step step;
        step.text = text;
        if (const std::optional<BookmarkEntry> entry = split(text)) {
            step.paths = *entry;
            step.action = Action::Lock;
            checks.addSource(entry->source);
        }
        m_steps.push_back(std::move(step));
    }
    for (Step& step : m_steps) {
        if (step.action == Action::Lock) {
            step.action = actionFor(step.paths, checks);
            step.replacesOutput = step.action == Action::Lock &&
                                  resolver.resolve(step.paths.output).kind != OutputPlace::Free;
        }
    }
}

int BatchPlan::existingOutputs() const {
    return static_cast<int>(std::count_if(m_steps.begin(), m_steps.end(), [](const Step& step) {
        return step.action == Action::Lock && step.replacesOutput;
    }));
}

QString BatchPlan::skipReason(Action action) {
    switch (action) {
    case Action::SkipMalformed:
        return QStringLiteral("not one source path and one output path joined by \"=\".");
    case Action::SkipSourceMissing:
        return QStringLiteral("source file not found.");
    case Action::SkipOutputIsSource:
        return QStringLiteral("the output is the source file itself.");
    case Action::SkipOutputIsInput:
        return QStringLiteral("the output is the file another bookmark locks, which would be "
                              "overwritten.");
    case Action::SkipOutputRepeated:
        return QStringLiteral("an earlier bookmark writes the same output file.");
    case Action::SkipOutputNotFile:
        return QStringLiteral("the output is a folder, device, pipe or socket.");
    case Action::Lock:
        break;
    }
    return QString();
}

QString BatchPlan::nameOf(const Step& step) {
    if (step.action == Action::SkipMalformed) {
        return step.text.isEmpty() ? QStringLiteral("(empty entry)") : step.text;
    }
    return QDir::toNativeSeparators(step.paths.source);
}

} // namespace kelvane
