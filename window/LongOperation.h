// SPDX-License-Identifier: MIT
#pragma once

#include "core/BatchRun.h"
#include "engine/Cipher.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <vector>

class QShortcut;
class QThread;

namespace kelvane {

class frmMain;

// One long run of the window: a lock, an unlock or a batch. The generator is shared, so while a
// run is in progress nothing may start another one or change what it works on. Besides the six
// single-file inputs, a run holds off the mode buttons, the bookmark controls and the batch
// button, and they look held off too.
//
// The transform runs on a worker thread; the window's thread never waits for it and never runs
// events from inside it. Progress reaches the window as queued calls, and the end as the signal
// finished(). A run that takes more than about a second shows its progress (RunProgress). Esc,
// or closing the window, asks whether to stop; on Yes the transform is stopped at its next yield
// step by EngineError(Cancelled), which publishes nothing and leaves an existing output as it
// was. A close that was agreed to closes the window once the run is over.
//
// Use: create it on the heap when the command has passed its checks, begin(), connect to
// finished(), start() the transform with yieldStep(); in the slot, finish the command in its own
// order with stopIndicator() and end(). The operation deletes itself after finished(); its
// destructor returns the window to its ready state: inputs enabled, indicator stopped, "Please
// Wait..." hidden, the window's own title back.
class LongOperation : public QObject {
    Q_OBJECT

public:
    // Where a yield step of a batch stands (file `file` of `files`, after `before` of `all`
    // bytes); a single run leaves it empty.
    using Part = BatchRun::Position;

    explicit LongOperation(frmMain& window);
    ~LongOperation() override;

    // How often the transform sends its figures to the window (every 20 ms unless changed;
    // tests set 0 to have each yield wait until the window has shown its figures).
    static void setEventInterval(qint64 milliseconds);
    // A run that has taken this long asks for the user's attention when it ends while the
    // window is not the active one (3 seconds unless changed).
    static void setAttentionAfter(qint64 milliseconds);

    // Disables the inputs and the held-off controls, and starts the "Please Wait..." blinking.
    // From now on a close of the window asks whether to stop the run.
    void begin();

    // Starts `work` (the transform) on a worker thread and returns at once. When the work is
    // over, finished() is sent on the window's thread with what `work` threw (null when it
    // threw nothing); the operation deletes itself afterwards. The generator is shared: only the
    // one run in progress uses it.
    void start(std::function<void()> work);

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

signals:
    void finished(std::exception_ptr failure);

protected:
    // A close of the window during the run asks whether to stop it.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // On the window's thread once the worker is over; waits while the user is being asked.
    void workOver();
    void step(std::uint64_t done, std::uint64_t total, const Part& part);
    void showProgress(std::uint64_t done, std::uint64_t total, const Part& part);

    frmMain& m_window;
    std::vector<std::pair<QPointer<QWidget>, bool>> m_heldOff;
    QElapsedTimer m_sinceEvents;
    QElapsedTimer m_sinceBegin;
    std::unique_ptr<QShortcut> m_escape;
    std::unique_ptr<QThread> m_worker;
    std::exception_ptr m_failure;
    bool m_overWhileAsking = false;
    bool m_begun = false;
    bool m_ended = false;
    bool m_indicatorStopped = false;
    std::atomic<bool> m_asking = false;
    std::atomic<bool> m_stop = false;
    bool m_close = false;
};

} // namespace kelvane
