// SPDX-License-Identifier: MIT
#include "window/LongOperation.h"

#include "controls/vFrame.h"
#include "engine/EngineError.h"
#include "platform/Attention.h"
#include "platform/MsgBox.h"
#include "window/ClickableLabel.h"
#include "window/RunProgress.h"
#include "window/frmMain.h"

#include <QCloseEvent>
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

// The figures are sent after this much time in the transform. The engine yields every 64 KiB, a
// few microseconds apart at disk speed; the window needs no more than a few figures a second.
qint64 g_eventIntervalMs = 20;

// A run longer than this may have been left to itself: its end asks for attention.
qint64 g_attentionAfterMs = 3000;

const QString kStopNow =
    QStringLiteral("Stop the process now? The file being written will not be saved.");
const QString kStopAndClose =
    QStringLiteral("The process is not complete. Stop it and close the window? The file being "
                   "written will not be saved.");

} // namespace

LongOperation::LongOperation(frmMain& window) : QObject(&window), m_window(window) {}

LongOperation::~LongOperation() {
    if (m_worker) {
        // Only when the window goes away during a run: the transform stops at its next step.
        m_asking = false;
        m_stop = true;
        m_worker->wait();
    }
    if (m_begun) {
        m_window.removeEventFilter(this);
        stopIndicator();
        end();
    }
    if (m_close) {
        // Once the command has returned to the event loop, nothing is running any more.
        QMetaObject::invokeMethod(&m_window, &QWidget::close, Qt::QueuedConnection);
    }
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
    m_window.installEventFilter(this);
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
            // In step with the window: the transform goes on once the figures are shown.
            QMetaObject::invokeMethod(
                &m_window, [this, done, total, part] { showProgress(done, total, part); },
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

void LongOperation::start(std::function<void()> work) {
    Q_ASSERT(!m_worker);
    m_worker.reset(QThread::create([this, work = std::move(work)] {
        try {
            work();
        } catch (...) {
            m_failure = std::current_exception();
        }
    }));
    // Queued after every figure the worker sent, so they are shown before the end.
    connect(m_worker.get(), &QThread::finished, this, &LongOperation::workOver,
            Qt::QueuedConnection);
    m_worker->start();
}

void LongOperation::workOver() {
    if (m_asking) {
        // The answer decides what the end says; the end waits for it.
        m_overWhileAsking = true;
        return;
    }
    m_worker->wait();
    m_worker.reset();
    emit finished(m_failure);
    deleteLater();
}

bool LongOperation::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_window && event->type() == QEvent::Close) {
        event->ignore();
        askToStop(true);
        return true;
    }
    return QObject::eventFilter(watched, event);
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
    if (answer == vbYes) {
        m_stop = true;
        m_close = thenClose;
    }
    m_asking = false;
    if (m_overWhileAsking) {
        m_overWhileAsking = false;
        workOver();
    }
}

void LongOperation::stopIndicator() {
    if (m_indicatorStopped) {
        return;
    }
    m_indicatorStopped = true;
    if (m_escape) {
        // Nothing left to stop. The end can come while Esc's own question is being answered.
        m_escape.release()->deleteLater();
    }
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
