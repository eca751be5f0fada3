// SPDX-License-Identifier: MIT
#include "window/BatchLock.h"

#include "controls/vTools.h"
#include "core/BatchReport.h"
#include "engine/EngineError.h"
#include "engine/RndCrypt.h"
#include "platform/MsgBox.h"
#include "window/LongOperation.h"
#include "window/PasswordCheck.h"
#include "window/frmMain.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <exception>

namespace kelvane {

namespace {

// An entry's text split into its two paths the window's way: through the tools control, into
// the hidden list box.
std::optional<BookmarkEntry> splitInto(const QString& text, const vTools& tools,
                                       QListWidget& scratch) {
    scratch.clear();
    tools.SplitToList(text, BookmarkEntry::kSeparator, scratch, QString());
    QStringList pieces;
    for (int i = 0; i < scratch.count(); ++i) {
        pieces.append(scratch.item(i)->text());
    }
    return BookmarkEntry::fromPieces(pieces);
}

QStringList itemsOf(const QListWidget& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i) {
        items.append(list.item(i)->text());
    }
    return items;
}

} // namespace

BatchLock::BatchLock(frmMain& window) : QObject(&window), m_window(window) {
    connect(window.controls().cmdLockMultipleFiles, &QPushButton::clicked, this,
            &BatchLock::cmdLockMultipleFiles_Click);
}

void BatchLock::cmdLockMultipleFiles_Click() {
    if (LongOperation::running()) {
        return;
    }
    try {
        lockAll();
    } catch (const std::exception& error) {
        // Each entry's errors are caught where it is locked; this is anything else. By now the
        // run has put the window back in its ready state.
        MsgBox(QStringLiteral("The bookmarked files could not be locked: %1")
                   .arg(QString::fromLocal8Bit(error.what())),
               vbExclamation, QStringLiteral("Error"));
    }
}

void BatchLock::lockAll() {
    const MainControls& c = m_window.controls();
    if (c.List1->count() == 0) {
        MsgBox(QStringLiteral("There are no files to lock."), vbInformation,
               QStringLiteral("No Files to Lock"));
        return;
    }
    if (c.txtPassword1->text().isEmpty()) {
        MsgBox(QStringLiteral("Please enter a password for the files."), vbInformation,
               QStringLiteral("Missing info"));
        return;
    }
    if (!passwordUsable(c.txtPassword1->text())) {
        return;
    }
    const BatchPlan plan(itemsOf(*c.List1), [&c](const QString& text) {
        return splitInto(text, *c.vTools1, *c.lstBookmarkedItem);
    });
    if (const int existing = plan.existingOutputs(); existing > 0 && !replaceAllowed(existing)) {
        return;
    }

    LongOperation run(m_window);
    run.begin();
    c.vTools1->Prepare(2);
    const std::vector<BatchPlan::Step>& steps = plan.steps();
    const int count = static_cast<int>(steps.size());
    // The progress counts the bytes of the whole batch, as far as they are known now.
    std::vector<std::uint64_t> sizes;
    std::uint64_t all = 0;
    for (const BatchPlan::Step& step : steps) {
        sizes.push_back(step.action == BatchPlan::Action::Lock
                            ? static_cast<std::uint64_t>(QFileInfo(step.paths.source).size())
                            : 0);
        all += sizes.back();
    }
    BatchReport report(count);
    // The finished files reach the disk together; each counts as locked once it is there.
    OutputGroup group;
    std::uint64_t before = 0;
    for (int i = 0; i < count; ++i) {
        // The user sees the selection move down the list.
        c.List1->setCurrentRow(i);
        const auto index = static_cast<std::size_t>(i);
        if (!lockEntry(steps[index], run.yieldStep({i + 1, count, before, all}), report, group)) {
            for (std::size_t rest = index + 1; rest < steps.size(); ++rest) {
                report.notStarted(BatchPlan::nameOf(steps[rest]));
            }
            break;
        }
        before += sizes[index];
    }
    group.flush();
    run.end();
    run.stopIndicator();
    if (!run.closing()) {
        MsgBox(report.message(),
               report.allLocked() || (report.stopped() && !report.anyFailed()) ? vbInformation
                                                                               : vbExclamation,
               report.stopped() ? QStringLiteral("Stopped") : QStringLiteral("Done"));
    }
    m_window.lblRefresh_Click();
}

bool BatchLock::replaceAllowed(int count) const {
    const QString prompt =
        count == 1
            ? QStringLiteral("1 target file exists and will be replaced. Is this ok?")
            : QStringLiteral("%1 target files exist and will be replaced. Is this ok?").arg(count);
    return MsgBox(prompt, vbYesNo + vbQuestion, QStringLiteral("Please confirm")) != vbNo;
}

// An error in one entry is reported with the others at the end; the run goes on. False when
// the user stopped the run during this entry.
bool BatchLock::lockEntry(const BatchPlan::Step& step, const YieldStep& yield, BatchReport& report,
                          OutputGroup& group) {
    const MainControls& c = m_window.controls();
    if (step.action != BatchPlan::Action::Lock) {
        report.skipped(BatchPlan::nameOf(step), BatchPlan::skipReason(step.action));
        return true;
    }
    // The source may have gone while earlier entries were locked.
    if (!c.vTools1->FileExists(step.paths.source, false)) {
        report.skipped(BatchPlan::nameOf(step),
                       BatchPlan::skipReason(BatchPlan::Action::SkipSourceMissing));
        return true;
    }
    try {
        // Only the outputs the user agreed to replace may be replaced; one that appears
        // meanwhile fails its entry.
        RndCrypt(
            step.paths.source, step.paths.output, c.txtPassword1->text(), group,
            [&report, name = BatchPlan::nameOf(step)](const EngineError* error) {
                if (error != nullptr) {
                    report.failed(name, error->message());
                } else {
                    report.locked();
                }
            },
            yield, step.replacesOutput ? Replace::Existing : Replace::Nothing);
    } catch (const EngineError& error) {
        if (error.kind() == EngineError::Kind::Cancelled) {
            report.interrupted(BatchPlan::nameOf(step));
            return false;
        }
        report.failed(BatchPlan::nameOf(step), error.message());
    } catch (const std::exception& error) {
        report.failed(BatchPlan::nameOf(step), QString::fromLocal8Bit(error.what()));
    }
    return true;
}

} // namespace kelvane
