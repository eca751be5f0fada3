// SPDX-License-Identifier: MIT
#include "window/LongOperation.h"

#include "controls/vFrame.h"
#include "engine/EngineError.h"
#include "platform/Attention.h"
#include "platform/MsgBox.h"
#include "platform/Runtime.h"
#include "window/ClickableLabel.h"
#include "window/RunProgress.h"
#include "window/frmMain.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include <QThread>

#include <chrono>
#include <exception>
#include <thread>

namespace kelvane {

namespace {

LongOperation* g_current = nullptr;

// Events run after this much time in the transform. The engine yields every 64 KiB, a few
// microseconds apart at disk speed, so the gap between two rounds of events stays well below
// the 50 ms that keeps the window responsive.
qint64 g_eventIntervalMs = 20;

// A run longer than this may have been left to itself: its end asks for attention.
qint64 g_attentionAfterMs = 3000;

const QString kStopNow =
    QStringLiteral("Stop the process now? The file being written will not be saved.");
const QString kStopAndClose =
    QStringLiteral("The process is not complete. Stop it and close the window? The file being "
                   "written will not be saved.");

} // namespace

LongOperation::LongOperation(frmMain& window) : m_window(window) {
    Q_ASSERT(g_current == nullptr);
    g_current = this;
}

LongOperation::~LongOperation() {
    if (m_begun) {
        stopIndicator();
        end();
    }
    g_current = nullptr;
    if (m_close) {
        // Once the command has returned to the event loop, nothing is running any more.
        QMetaObject::invokeMethod(&m_window, &QWidget::close, Qt::QueuedConnection);
    }
}

bool LongOperation::running() {
    return g_current != nullptr;
}

LongOperation* LongOperation::current() {
    return g_current;
}

void LongOperation::setEventInterval(qint64 milliseconds) {
    g_eventIntervalMs = milliseconds;
}

void LongOperation::setAttentionAfter(qint64 milliseconds) {
    g_attentionAfterMs = milliseconds;
}

void LongOperation::begin() {
    const MainControls& c = m_window.controls();
    const std::initializer_list<QWidget*> heldOff = {
        c.vButton[0],
        c.vButton[1],
        c.vButton[2],
        c.lblLockFile[0],
        c.lblLockFile[1],
        c.lblLockFile[2],
        c.List1,
        c.txtPassword1,
        c.cmdLockMultipleFiles,
        c.lblRemoveSelectedItem,
        c.Label2,
        c.cmdAddToAutomated,
    };
    // Each control's own setting is kept, not what it shows: a caption label inside a frame
    // button shows disabled once the button is, and must come back enabled with it.
    for (QWidget* widget : heldOff) {
        m_heldOff.emplace_back(widget, !widget->testAttribute(Qt::WA_ForceDisabled));
        widget->setEnabled(false);
    }
    m_escape = std::make_unique<QShortcut>(QKeySequence(Qt::Key_Escape), &m_window);
    QObject::connect(m_escape.get(), &QShortcut::activated, [this] { askToStop(false); });
    m_begun = true;
    m_window.progress().start();
    m_window.PleaseWaitStart();
    m_sinceEvents.start();
    m_sinceBegin.start();
}

YieldStep LongOperation::yieldStep() {
    return yieldStep(Part{});
}

YieldStep LongOperation::yieldStep(Part part) {
    return [this, part](std::uint64_t done, std::uint64_t total) { step(done, total, part); };
}

void LongOperation::showProgress(std::uint64_t done, std::uint64_t total, const Part& part) {
    if (part.files == 0) {
        m_window.progress().update(done, total);
    } else {
        m_window.progress().update(part.before + done, part.all, part.file, part.files);
    }
}

void LongOperation::step(std::uint64_t done, std::uint64_t total, const Part& part) {
    // The figures can only be seen when the window's events run, so they are sent at most every
    // few milliseconds, not at every yield.
    if (m_sinceEvents.elapsed() >= g_eventIntervalMs) {
        if (QThread::currentThread() == m_window.thread()) {
            showProgress(done, total, part);
        } else if (g_eventIntervalMs == 0) {
            // In step with the window: the figures shown and the window's events run before
            // the transform goes on.
            QMetaObject::invokeMethod(
                &m_window,
                [this, done, total, part] {
                    showProgress(done, total, part);
                    DoEvents();
                },
                Qt::BlockingQueuedConnection);
        } else {
            QMetaObject::invokeMethod(
                &m_window, [this, done, total, part] { showProgress(done, total, part); },
                Qt::QueuedConnection);
        }
        m_sinceEvents.restart();
    }
    // The transform waits while the user is asked whether to stop it.
    while (m_asking) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (m_stop) {
        throw EngineError::cancelled();
    }
}

void LongOperation::runOnWorker(const std::function<void()>& work) {
    std::exception_ptr failure;
    const std::unique_ptr<QThread> worker(QThread::create([&work, &failure] {
        try {
            work();
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop waiting;
    QObject::connect(worker.get(), &QThread::finished, &waiting, &QEventLoop::quit,
                     Qt::QueuedConnection);
    worker->start();
    waiting.exec();
    worker->wait();
    // Figures sent before the end are shown now, not after the run is over.
    QCoreApplication::sendPostedEvents(&m_window, QEvent::MetaCall);
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void LongOperation::askToStop(bool thenClose) {
    if (m_asking) {
        return;
    }
    if (m_stop || m_indicatorStopped) {
        // Already stopping, or the transforms are over: a close only waits for the end.
        m_close = m_close || thenClose;
        return;
    }
    // The transform waits for the answer.
    m_asking = true;
    m_window.progress().pause();
    const int answer = MsgBox(thenClose ? kStopAndClose : kStopNow, vbYesNo + vbQuestion,
                              QStringLiteral("Please confirm"));
    m_window.progress().resume();
    m_asking = false;
    if (answer == vbYes) {
        m_stop = true;
        m_close = thenClose;
    }
}

void LongOperation::stopIndicator() {
    if (m_indicatorStopped) {
        return;
    }
    m_indicatorStopped = true;
    m_escape.reset(); // nothing left to stop
    m_window.PleaseWaitStop();
    m_window.progress().finish();
    if (m_sinceBegin.isValid() && m_sinceBegin.elapsed() >= g_attentionAfterMs) {
        AskForAttention(m_window);
    }
}

void LongOperation::end() {
    if (m_ended) {
        return;
    }
    m_ended = true;
    m_window.EnableInputs(true);
    for (const auto& [widget, enabled] : m_heldOff) {
        if (widget) {
            widget->setEnabled(enabled);
        }
    }
}

} // namespace kelvane
