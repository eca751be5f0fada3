// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

class QProgressBar;
class QWidget;

namespace kelvane {

// How far a long run has come, shown once the run has taken about a second, so that short runs
// look as they always did: the percentage and the time left in front of the window title (and,
// for a batch, which file of how many), and a slim bar along the bottom edge of the header band.
// The window gets its own title back when the run is over. No control of the window moves.
class RunProgress : public QObject {
    Q_OBJECT

public:
    // `header` is the band the bar lies on; the bar is made here and stays hidden between runs.
    RunProgress(QWidget& window, QWidget& header);

    // Milliseconds a run goes on before its progress shows (1000 unless changed).
    static void setDelay(qint64 milliseconds);
    // The clock the delay and the time left are measured with, in milliseconds; an empty
    // function goes back to the system's steady clock. Tests drive the figures with their own.
    static void setClock(std::function<qint64()> milliseconds);

    // A run starts: the clock starts, nothing is shown yet.
    void start();
    // `done` of `total` bytes of the whole run; `file` of `files` for a batch (0 files: one file).
    void update(std::uint64_t done, std::uint64_t total, int file = 0, int files = 0);
    // The run waits (for the user's answer): that time counts neither towards the delay nor
    // towards the time left.
    void pause();
    void resume();
    // The run is over: the bar goes and the window title is the window's own again.
    void finish();

    bool shown() const { return m_shown; }
    QProgressBar& bar() const { return *m_bar; }

    // "1 min 5 s left" and the like, for the remaining milliseconds.
    static QString timeLeft(qint64 milliseconds);

private:
    QString title(int percent, int file, int files) const;

    QWidget& m_window;
    QProgressBar* m_bar;
    QString m_ownTitle;
    qint64 m_startedAt = 0;
    qint64 m_estimatedAt = 0;
    qint64 m_pausedAt = -1;
    QString m_timeLeft;
    bool m_running = false;
    bool m_shown = false;
};

} // namespace kelvane
