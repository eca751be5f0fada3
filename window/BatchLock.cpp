// SPDX-License-Identifier: MIT
#include "window/BatchLock.h"

#include "controls/vTools.h"
#include "core/BatchReport.h"
#include "core/BatchRun.h"
#include "platform/MsgBox.h"
#include "window/LongOperation.h"
#include "window/PasswordCheck.h"
#include "window/frmMain.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <exception>
#include <memory>

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
    try {
        lockAll();
    } catch (const std::exception& error) {
        failed(error);
    }
}

// Each entry's errors are caught where it is locked; this is anything else. By now the run has
// put the window back in its ready state.
void BatchLock::failed(const std::exception& error) {
    MsgBox(QStringLiteral("The bookmarked files could not be locked: %1")
               .arg(QString::fromLocal8Bit(error.what())),
           vbExclamation, QStringLiteral("Error"));
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

    auto* run = new LongOperation(m_window);
    run->begin();
    c.vTools1->Prepare(2);
    // What the worker works on, kept until the end of the run.
    struct Batch {
        Batch(const BatchPlan& plan, const QString& password)
            : plan(plan), run(this->plan, password) {}
        BatchPlan plan;
        BatchRun run;
        BatchReport report{0};
    };
    const auto batch = std::make_shared<Batch>(plan, c.txtPassword1->text());
    // The user sees the selection move down the list.
    batch->run.starting = [this, &c](int index, const BatchRun::Position&) {
        QMetaObject::invokeMethod(
            &m_window, [&c, index] { c.List1->setCurrentRow(index); }, Qt::QueuedConnection);
    };
    batch->run.sourceExists = [&c](const QString& source) {
        return c.vTools1->FileExists(source, false);
    };
    batch->run.yieldFor = [run](const BatchPlan::Step&, const BatchRun::Position& at) {
        return run->yieldStep(at);
    };
    connect(run, &LongOperation::finished, this,
            [this, run, batch](const std::exception_ptr& failure) {
                run->end();
                run->stopIndicator();
                if (failure) {
                    try {
                        std::rethrow_exception(failure);
                    } catch (const std::exception& error) {
                        failed(error);
                    }
                    return;
                }
                report(batch->report, run->closing());
            });
    run->start([batch] { batch->report = batch->run.run(); });
}

void BatchLock::report(const BatchReport& report, bool closing) {
    if (!closing) {
        MsgBox(report.message(),
               report.allLocked() || (report.stopped() && !report.anyFailed()) ? vbInformation
                                                                               : vbExclamation,
               report.stopped() ? QStringLiteral("Stopped") : QStringLiteral("Done"));
    }
    m_window.refreshBrowser();
}

bool BatchLock::replaceAllowed(int count) const {
    const QString prompt =
        count == 1
            ? QStringLiteral("1 target file exists and will be replaced. Is this ok?")
            : QStringLiteral("%1 target files exist and will be replaced. Is this ok?").arg(count);
    return MsgBox(prompt, vbYesNo + vbQuestion, QStringLiteral("Please confirm")) != vbNo;
}

} // namespace kelvane
