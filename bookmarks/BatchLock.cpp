#include "BatchLock.h"

#include "BatchReport.h"
#include "EngineError.h"
#include "LongOperation.h"
#include "MsgBox.h"
#include "PasswordCheck.h"
#include "RndCrypt.h"
#include "frmMain.h"
#include "vTools.h"

#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <exception>

namespace kelvane {

namespace {

QString shownPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The name of an entry in the final message: its source path, or the whole text when it has no
// usable paths.
QString nameOf(const BatchPlan::Step& step) {
    if (step.action == BatchPlan::Action::SkipMalformed) {
        return step.text.isEmpty() ? QStringLiteral("(empty entry)") : step.text;
    }
    return shownPath(step.paths.source);
}

QString skipReason(BatchPlan::Action action) {
    switch (action) {
    case BatchPlan::Action::SkipMalformed:
        return QStringLiteral("not one source path and one output path joined by \"=\".");
    case BatchPlan::Action::SkipSourceMissing:
        return QStringLiteral("source file not found.");
    case BatchPlan::Action::SkipOutputIsSource:
        return QStringLiteral("the output is the source file itself.");
    case BatchPlan::Action::SkipOutputRepeated:
        return QStringLiteral("an earlier bookmark writes the same output file.");
    case BatchPlan::Action::Lock:
        break;
    }
    return QString();
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
    const BatchPlan plan(*c.List1, *c.vTools1, *c.lstBookmarkedItem);
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
    MsgBox(report.message(), report.style(), QStringLiteral("Done"));
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
        report.skipped(nameOf(step), skipReason(step.action));
        return;
    }
    // The source may have gone while earlier entries were locked.
    if (!c.vTools1->FileExists(step.paths.source, false)) {
        report.skipped(nameOf(step), skipReason(BatchPlan::Action::SkipSourceMissing));
        return;
    }
    try {
        RndCrypt(step.paths.source, step.paths.output, c.txtPassword1->text(), run.yieldStep());
        report.locked();
    } catch (const EngineError& error) {
        report.failed(nameOf(step), error.message());
    } catch (const std::exception& error) {
        report.failed(nameOf(step), QString::fromLocal8Bit(error.what()));
    }
}

} // namespace kelvane
