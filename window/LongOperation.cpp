#include "LongOperation.h"

#include "ClickableLabel.h"
#include "Runtime.h"
#include "frmMain.h"
#include "vFrame.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace kelvane {

namespace {

bool g_running = false;

// Events run after this much time in the transform. The engine yields every 64 KiB, a few
// microseconds apart at disk speed, so the gap between two rounds of events stays well below
// the 50 ms that keeps the window responsive.
qint64 g_eventIntervalMs = 20;

} // namespace

LongOperation::LongOperation(frmMain& window) : m_window(window) {
    Q_ASSERT(!g_running);
    g_running = true;
}

LongOperation::~LongOperation() {
    if (m_begun) {
        stopIndicator();
        end();
    }
    g_running = false;
}

bool LongOperation::running() {
    return g_running;
}

void LongOperation::setEventInterval(qint64 milliseconds) {
    g_eventIntervalMs = milliseconds;
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
    m_begun = true;
    m_window.PleaseWaitStart();
    m_sinceEvents.start();
}

YieldStep LongOperation::yieldStep() {
    return [this](std::uint64_t, std::uint64_t) {
        if (m_sinceEvents.elapsed() >= g_eventIntervalMs) {
            DoEvents();
            m_sinceEvents.restart();
        }
    };
}

void LongOperation::stopIndicator() {
    m_window.PleaseWaitStop();
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
