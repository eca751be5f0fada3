#include "BatchLock.h"

#include "BatchReport.h"
#include "EngineError.h"
#include "LongOperation.h"
#include "MsgBox.h"
#include "PasswordCheck.h"
#include "RndCrypt.h"
#include "frmMain.h"
#include "vTools.h"

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
    BatchReport report(static_cast<int>(plan.steps().size()));
    for (int i = 0; i < static_cast<int>(plan.steps().size()); ++i) {
        // The user sees the selection move down the list.
        c.List1->setCurrentRow(i);
        lockEntry(plan.steps()[static_cast<std::size_t>(i)], run, report);
    }
    run.end();
    run.stopIndicator();
    MsgBox(report.message(), report.allLocked() ? vbInformation : vbExclamation,
           QStringLiteral("Done"));
    m_window.lblRefresh_Click();
}

bool BatchLock::replaceAllowed(int count) const {
    const QString prompt =
        count == 1
            ? QStringLiteral("1 target file exists and will be replaced. Is this ok?")
            : QStringLiteral("%1 target files exist and will be replaced. Is this ok?").arg(count);
    return MsgBox(prompt, vbYesNo + vbQuestion, QStringLiteral("Please confirm")) != vbNo;
}

// An error in one entry is reported with the others at the end; the run goes on.
void BatchLock::lockEntry(const BatchPlan::Step& step, LongOperation& run, BatchReport& report) {
    const MainControls& c = m_window.controls();
    if (step.action != BatchPlan::Action::Lock) {
        report.skipped(BatchPlan::nameOf(step), BatchPlan::skipReason(step.action));
        return;
    }
    // The source may have gone while earlier entries were locked.
    if (!c.vTools1->FileExists(step.paths.source, false)) {
        report.skipped(BatchPlan::nameOf(step),
                       BatchPlan::skipReason(BatchPlan::Action::SkipSourceMissing));
        return;
    }
    try {
        // Only the outputs the user agreed to replace may be replaced; one that appears
        // meanwhile fails its entry.
        RndCrypt(step.paths.source, step.paths.output, c.txtPassword1->text(), run.yieldStep(),
                 step.replacesOutput ? Replace::Existing : Replace::Nothing);
        report.locked();
    } catch (const EngineError& error) {
        report.failed(BatchPlan::nameOf(step), error.message());
    } catch (const std::exception& error) {
        report.failed(BatchPlan::nameOf(step), QString::fromLocal8Bit(error.what()));
    }
}

} // namespace kelvane
