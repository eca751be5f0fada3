// SPDX-License-Identifier: MIT
#include "core/BatchPlan.h"

#include "engine/AtomicOutput.h"
#include "engine/RndCrypt.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace kelvane {

namespace {

// Two spellings of one output path, as far as they can be told apart before it exists.
QString outputKey(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

bool isInputOfAnother(const std::vector<BatchPlan::Step>& steps, std::size_t index) {
    for (std::size_t other = 0; other < steps.size(); ++other) {
        if (other != index && steps[other].action != BatchPlan::Action::SkipMalformed &&
            isSamePlace(steps[index].paths.output, steps[other].paths.source)) {
            return true;
        }
    }
    return false;
}

BatchPlan::Action actionFor(const std::vector<BatchPlan::Step>& steps, std::size_t index,
                            QSet<QString>& outputs) {
    const BookmarkEntry& entry = steps[index].paths;
    if (!QFileInfo(entry.source).isFile()) {
        return BatchPlan::Action::SkipSourceMissing;
    }
    if (isSameFile(entry.source, entry.output)) {
        return BatchPlan::Action::SkipOutputIsSource;
    }
    if (isInputOfAnother(steps, index)) {
        return BatchPlan::Action::SkipOutputIsInput;
    }
    // A second entry with the same output would silently replace what the first one wrote.
    const QString key = outputKey(entry.output);
    if (outputs.contains(key)) {
        return BatchPlan::Action::SkipOutputRepeated;
    }
    outputs.insert(key);
    const OutputPlace place = outputPlace(entry.output);
    if (place == OutputPlace::Folder || place == OutputPlace::Special) {
        return BatchPlan::Action::SkipOutputNotFile;
    }
    return BatchPlan::Action::Lock;
}

} // namespace

BatchPlan::BatchPlan(const QStringList& entries, const Splitter& split) {
    m_steps.reserve(static_cast<std::size_t>(entries.size()));
    for (const QString& text : entries) {
        Step step;
        step.text = text;
        if (const std::optional<BookmarkEntry> entry = split(text)) {
            step.paths = *entry;
            step.action = Action::Lock;
        }
        m_steps.push_back(std::move(step));
    }
    QSet<QString> outputs;
    for (std::size_t i = 0; i < m_steps.size(); ++i) {
        Step& step = m_steps[i];
        if (step.action == Action::Lock) {
            step.action = actionFor(m_steps, i, outputs);
            step.replacesOutput =
                step.action == Action::Lock && outputPlace(step.paths.output) != OutputPlace::Free;
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
