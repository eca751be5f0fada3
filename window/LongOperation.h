#pragma once

#include "Cipher.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

#include <vector>

namespace kelvane {

class frmMain;

// One long run of the window: a lock, an unlock or a batch. The generator is shared, so while a
// run is in progress nothing may start another one or change what it works on. Besides the six
// single-file inputs, a run holds off the mode buttons, the bookmark controls and the batch
// button, and the window refuses to close.
//
// Use: construct when the command has passed its checks, begin(), run the transform with
// yieldStep(), then finish the command in its own order with stopIndicator() and end(). Leaving
// the scope early (an error) returns the window to its ready state: inputs enabled, indicator
// stopped, "Please Wait..." hidden.
class LongOperation {
public:
    explicit LongOperation(frmMain& window);
    ~LongOperation();
    LongOperation(const LongOperation&) = delete;
    LongOperation& operator=(const LongOperation&) = delete;

    // True while any run is in progress.
    static bool running();

    // How long the transform works between two rounds of window events (20 ms unless changed;
    // tests set 0 to see events run at every yield).
    static void setEventInterval(qint64 milliseconds);

    // Disables the inputs and the held-off controls, lets waiting events run, starts the
    // "Please Wait..." blinking and lets waiting events run again.
    void begin();

    // Lets window events run while the transform works: at most every few milliseconds and at
    // least every 50, so the indicator blinks and the window repaints without slowing the run.
    YieldStep yieldStep();

    // Stops the blinking and hides "Please Wait...".
    void stopIndicator();

    // Enables the six inputs again and releases the held-off controls.
    void end();

private:
    frmMain& m_window;
    std::vector<std::pair<QPointer<QWidget>, bool>> m_heldOff;
    QElapsedTimer m_sinceEvents;
    bool m_begun = false;
    bool m_ended = false;
};

} // namespace kelvane
