#include "BatchPlan.h"

#include "RndCrypt.h"
#include "vTools.h"

#include <QDir>
#include <QFileInfo>
#include <QListWidget>
#include <QSet>

#include <algorithm>

namespace kelvane {

namespace {

BatchPlan::Action actionFor(const BookmarkEntry& entry, const vTools& tools) {
    if (!tools.FileExists(entry.source, false)) {
        return BatchPlan::Action::SkipSourceMissing;
    }
    if (isSameFile(entry.source, entry.output)) {
        return BatchPlan::Action::SkipOutputIsSource;
    }
    return BatchPlan::Action::Lock;
}

// Two spellings of one output path, as far as they can be told apart before it exists.
QString outputKey(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

BatchPlan::BatchPlan(const QListWidget& list, const vTools& tools, QListWidget& scratch) {
    // A second entry with the same output would silently replace what the first one wrote.
    QSet<QString> outputs;
    m_steps.reserve(static_cast<std::size_t>(list.count()));
    for (int i = 0; i < list.count(); ++i) {
        Step step;
        step.text = list.item(i)->text();
        if (const std::optional<BookmarkEntry> entry =
                BookmarkEntry::split(step.text, tools, scratch)) {
            step.paths = *entry;
            step.action = actionFor(step.paths, tools);
            if (step.action == Action::Lock) {
                const QString key = outputKey(step.paths.output);
                if (outputs.contains(key)) {
                    step.action = Action::SkipOutputRepeated;
                }
                outputs.insert(key);
            }
            step.replacesOutput =
                step.action == Action::Lock && tools.FileExists(step.paths.output, false);
        }
        m_steps.push_back(std::move(step));
    }
}

int BatchPlan::existingOutputs() const {
    return static_cast<int>(std::count_if(m_steps.begin(), m_steps.end(), [](const Step& step) {
        return step.action == Action::Lock && step.replacesOutput;
    }));
}

} // namespace kelvane
