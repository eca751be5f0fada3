// SPDX-License-Identifier: MIT
#include "window/ApplyCommand.h"

#include "controls/vTools.h"
#include "core/RunChecks.h"
#include "engine/EngineError.h"
#include "engine/FileName.h"
#include "engine/RndCrypt.h"
#include "platform/MsgBox.h"
#include "window/ClickableLabel.h"
#include "window/LongOperation.h"
#include "window/PasswordCheck.h"
#include "window/frmMain.h"

#include <QLineEdit>

namespace kelvane {

namespace {

const QString kMissingInfo = QStringLiteral("Missing info");
const QString kError = QStringLiteral("Error");

const QString kFailed = QStringLiteral(
    "Something failed. Please notice that if you are trying to lock files in a root drive (like "
    "c:), then the process may not be completed for security reasons. Please try locating your "
    "files inside a folder.");

} // namespace

void ApplyCommand::cmdApply_Click() {
    const MainControls& c = m_window.controls();
    // The run works on what the window shows now; nothing can change it until the run is over.
    const Job job{c.lblFileFrom->text(), c.lblFileTo->text(), c.txtPassword->text()};
    try {
        if (checkInputs(job)) {
            if (const std::optional<Replace> replace = confirmTarget(job)) {
                run(job, *replace);
            }
        }
    } catch (const std::exception& error) {
        failed(error);
    }
}

// The message is the one it has always been; the engine's reason goes with it as the box's
// detailed text.
void ApplyCommand::failed(const std::exception& error) {
    const auto* engine = dynamic_cast<const EngineError*>(&error);
    MsgBox(kFailed, vbExclamation, kError,
           engine != nullptr ? engine->message() : QString::fromLocal8Bit(error.what()));
}

bool ApplyCommand::checkInputs(const Job& job) const {
    if (!job.source.contains(u'.')) {
        MsgBox(QStringLiteral("Please select a valid file."), vbInformation, kMissingInfo);
        return false;
    }
    if (job.target.isEmpty() || job.password.isEmpty()) {
        MsgBox(QStringLiteral("Please complete all the fields."), vbInformation, kMissingInfo);
        return false;
    }
    if (!passwordUsable(job.password)) {
        return false;
    }
    const vTools& tools = *m_window.controls().vTools1;
    if (!tools.FileExists(job.source, false)) {
        MsgBox(QStringLiteral("Source file does not exist."), vbInformation, kError);
        m_window.refreshBrowser();
        return false;
    }
    // The rule of every run: one file's output is never its own source.
    PathResolver paths;
    RunChecks checks(paths);
    checks.addSource(job.source);
    if (checks.check(job.source, job.target) != RunChecks::Clash::None) {
        MsgBox(QStringLiteral("The new file would replace the file to be processed itself. "
                              "Please choose another name for the new file."),
               vbExclamation, kError);
        return false;
    }
    if (const OutputPlace place = outputPlace(job.target);
        place == OutputPlace::Folder || place == OutputPlace::Special) {
        MsgBox(QStringLiteral("The new file would take the place of a folder, device, pipe or "
                              "socket. Please choose another name for the new file."),
               vbExclamation, kError);
        return false;
    }
    return true;
}

// Anything at the target's place counts, a link too, live or dangling. An existing target is
// replaced only when the new file is complete, so a failed run leaves it as it was; a link is
// replaced itself, and the file it points to is never touched. Without the user's consent
// nothing is replaced, even a file that appears while the run is going on.
std::optional<Replace> ApplyCommand::confirmTarget(const Job& job) const {
    if (outputPlace(job.target) == OutputPlace::Free) {
        return Replace::Nothing;
    }
    const int answer = MsgBox(
        QStringLiteral("Target file exists and will be deleted before going on. Is this ok?"),
        vbYesNo + vbQuestion, QStringLiteral("Please confirm"));
    if (answer == vbNo) {
        return std::nullopt;
    }
    return Replace::Existing;
}

void ApplyCommand::run(const Job& job, Replace replace) const {
    auto* operation = new LongOperation(m_window);
    operation->begin();
    m_window.controls().vTools1->Prepare(2);
    QObject::connect(operation, &LongOperation::finished, &m_window,
                     [this, job, operation](const std::exception_ptr& failure) {
                         try {
                             if (failure) {
                                 std::rethrow_exception(failure);
                             }
                             finish(job, *operation, nullptr);
                         } catch (const EngineError& error) {
                             finish(job, *operation, &error);
                         } catch (const std::exception& error) {
                             operation->stopIndicator();
                             operation->end();
                             failed(error);
                         }
                     });
    operation->start([job, replace, step = operation->yieldStep()] {
        RndCrypt(job.source, job.target, job.password, step, replace);
    });
}

// The end of a run, on the window's thread: `error` is what stopped it, if anything.
void ApplyCommand::finish(const Job& job, LongOperation& operation,
                          const EngineError* error) const {
    operation.stopIndicator();
    if (error != nullptr && error->kind() == EngineError::Kind::Unflushed) {
        // The new file is complete and has its name, but the disk did not confirm the name.
        operation.end();
        MsgBox(QStringLiteral("The new file %1 was saved, but the disk could not confirm it. "
                              "Please check the disk before you rely on the new file.")
                   .arg(shownName(job.target)),
               vbExclamation, kError, error->message());
        m_window.refreshBrowser();
        return;
    }
    if (error != nullptr && error->kind() == EngineError::Kind::Cancelled) {
        // The user stopped the run: nothing was published and a replaced target is as it was.
        operation.end();
        if (!operation.closing()) {
            MsgBox(QStringLiteral("Stopped. The process was not completed and no new file was "
                                  "saved."),
                   vbInformation, QStringLiteral("Stopped"));
        }
        return;
    }
    if (error != nullptr) {
        operation.end();
        failed(*error);
        return;
    }
    MsgBox(QStringLiteral("Done. Process complete."), vbInformation, QStringLiteral("Done"));
    operation.end();
    m_window.refreshBrowser();
}

} // namespace kelvane
