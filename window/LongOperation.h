// SPDX-License-Identifier: MIT
#pragma once

#include "core/BatchRun.h"
#include "engine/Cipher.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

class QShortcut;

namespace kelvane {

class frmMain;

// One long run of the window: a lock, an unlock or a batch. The generator is shared, so while a
// run is in progress nothing may start another one or change what it works on. Besides the six
// single-file inputs, a run holds off the mode buttons, the bookmark controls and the batch
// button, and they look held off too.
//
// A run that takes more than about a second shows its progress (RunProgress). Esc, or closing
// the window, asks whether to stop; on Yes the transform is stopped at its next yield step by
// EngineError(Cancelled), which publishes nothing and leaves an existing output as it was. A
// close that was agreed to closes the window once the run is over.
//
// Use: construct when the command has passed its checks, begin(), run the transform with
// yieldStep(), then finish the command in its own order with stopIndicator() and end(). Leaving
// the scope early (an error) returns the window to its ready state: inputs enabled, indicator
// stopped, "Please Wait..." hidden, the window's own title back.
class LongOperation {
public:
    // Where a yield step of a batch stands (file `file` of `files`, after `before` of `all`
    // bytes); a single run leaves it empty.
    using Part = BatchRun::Position;

    explicit LongOperation(frmMain& window);
    ~LongOperation();
    LongOperation(const LongOperation&) = delete;
    LongOperation& operator=(const LongOperation&) = delete;

    // True while any run is in progress.
    static bool running();
    // The run in progress, if any.
    static LongOperation* current();

    // How long the transform works between two rounds of window events (20 ms unless changed;
    // tests set 0 to see events run at every yield).
    static void setEventInterval(qint64 milliseconds);
    // A run that has taken this long asks for the user's attention when it ends while the
    // window is not the active one (3 seconds unless changed).
    static void setAttentionAfter(qint64 milliseconds);

    // Disables the inputs and the held-off controls, lets waiting events run, starts the
    // "Please Wait..." blinking and lets waiting events run again.
    void begin();

    // Runs `work` (the transform) on a worker thread; the window's events go on meanwhile, and
    // this returns when the work is over. What `work` throws is thrown here. The generator is
    // shared: only the one run in progress uses it.
    void runOnWorker(const std::function<void()>& work);

    // Sends the progress to the window (at most every few milliseconds, so the figures stay
    // current without slowing the run), holds the transform while the user is asked whether to
    // stop, and stops it once the user has agreed.
    YieldStep yieldStep();
    // The same for one file of a batch.
    YieldStep yieldStep(Part part);

    // Asks whether to stop the run (and then close the window, when `thenClose`); on Yes the
    // transform stops at its next yield step. Asked at most once at a time.
    void askToStop(bool thenClose);
    bool stopRequested() const { return m_stop; }
    // The user agreed to close the window: the command ends without its final message.
    bool closing() const { return m_close; }

    // Stops the blinking, hides "Please Wait..." and the progress; a long run that ends while
    // the user is in another window asks for attention.
    void stopIndicator();

    // Enables the six inputs again and releases the held-off controls.
    void end();

private:
    void step(std::uint64_t done, std::uint64_t total, const Part& part);
    void showProgress(std::uint64_t done, std::uint64_t total, const Part& part);

    frmMain& m_window;
    std::vector<std::pair<QPointer<QWidget>, bool>> m_heldOff;
    QElapsedTimer m_sinceEvents;
    QElapsedTimer m_sinceBegin;
    std::unique_ptr<QShortcut> m_escape;
    bool m_begun = false;
    bool m_ended = false;
    bool m_indicatorStopped = false;
    std::atomic<bool> m_asking = false;
    std::atomic<bool> m_stop = false;
    bool m_close = false;
};

} // namespace kelvane
