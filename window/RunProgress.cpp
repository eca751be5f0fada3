// SPDX-License-Identifier: MIT
#include "window/RunProgress.h"

#include <QPainter>
#include <QProgressBar>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>

namespace kelvane {

namespace {

qint64 g_delayMs = 1000;
std::function<qint64()> g_clock;

// The time left is estimated again at most once a second, so that it reads calmly.
constexpr qint64 kEstimateInterval = 1000;
constexpr int kBarHeight = 4; // pixels, on the bottom edge of the header band
constexpr int kScale = 1000;  // the bar counts in thousandths

qint64 now() {
    if (g_clock) {
        return g_clock();
    }
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Thousandths of `total` that `done` is, rounded down, without overflow for any file size.
int thousandths(std::uint64_t done, std::uint64_t total) {
    if (total == 0 || done >= total) {
        return kScale;
    }
    constexpr std::uint64_t kLargest = std::numeric_limits<std::uint64_t>::max() / kScale;
    const std::uint64_t scaled =
        total <= kLargest ? done * kScale / total : done / (total / kScale);
    return static_cast<int>(std::min<std::uint64_t>(scaled, kScale - 1));
}

// A bar of a few pixels in the header band's colours: the done part in the header's light
// yellow, the rest a shade lighter than the band.
class SlimBar : public QProgressBar {
public:
    using QProgressBar::QProgressBar;

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(96, 96, 96));
        const int span = std::max(1, maximum() - minimum());
        const int filled =
            static_cast<int>(static_cast<qint64>(width()) * (value() - minimum()) / span);
        painter.fillRect(QRect(0, 0, filled, height()), QColor(255, 255, 192));
    }
};

} // namespace

RunProgress::RunProgress(QWidget& window, QWidget& header)
    : QObject(&window), m_window(window), m_bar(new SlimBar(&header)) {
    m_bar->setObjectName(QStringLiteral("prgRun"));
    m_bar->setRange(0, kScale);
    m_bar->setTextVisible(false);
    m_bar->setFocusPolicy(Qt::NoFocus);
    m_bar->setAccessibleName(QStringLiteral("Progress"));
    m_bar->hide();
}

void RunProgress::setDelay(qint64 milliseconds) {
    g_delayMs = milliseconds;
}

void RunProgress::setClock(std::function<qint64()> milliseconds) {
    g_clock = std::move(milliseconds);
}

void RunProgress::start() {
    m_ownTitle = m_window.windowTitle();
    m_startedAt = now();
    m_timeLeft.clear();
    m_pausedAt = -1;
    m_running = true;
    m_shown = false;
    const QWidget& header = *m_bar->parentWidget();
    m_bar->setGeometry(0, header.height() - kBarHeight, header.width(), kBarHeight);
    m_bar->setValue(0);
}

void RunProgress::update(std::uint64_t done, std::uint64_t total, int file, int files) {
    if (!m_running) {
        return;
    }
    const qint64 time = now();
    const qint64 elapsed = time - m_startedAt;
    if (!m_shown && elapsed < g_delayMs) {
        return;
    }
    if (done >= total) {
        m_timeLeft.clear(); // all read: what is left is writing out the last of it
    } else if (!m_shown || time - m_estimatedAt >= kEstimateInterval) {
        m_estimatedAt = time;
        m_timeLeft = done > 0 && elapsed > 0
                         ? timeLeft(static_cast<qint64>(std::ceil(
                               static_cast<double>(elapsed) * static_cast<double>(total - done) /
                               static_cast<double>(done))))
                         : QString();
    }
    if (!m_shown) {
        m_shown = true;
        m_bar->show();
        m_bar->raise();
    }
    const int scaled = thousandths(done, total);
    m_bar->setValue(scaled);
    const QString text = title(scaled / 10, file, files);
    if (m_window.windowTitle() != text) {
        m_window.setWindowTitle(text);
    }
}

void RunProgress::pause() {
    if (m_running && m_pausedAt < 0) {
        m_pausedAt = now();
    }
}

void RunProgress::resume() {
    if (m_pausedAt >= 0) {
        const qint64 waited = now() - m_pausedAt;
        m_startedAt += waited;
        m_estimatedAt += waited;
        m_pausedAt = -1;
    }
}

void RunProgress::finish() {
    if (m_shown) {
        m_bar->hide();
        m_window.setWindowTitle(m_ownTitle);
    }
    m_running = false;
    m_shown = false;
}

QString RunProgress::timeLeft(qint64 milliseconds) {
    const qint64 seconds = (std::max<qint64>(0, milliseconds) + 999) / 1000;
    if (seconds < 60) {
        return QStringLiteral("%1 s left").arg(seconds);
    }
    if (seconds < 3600) {
        return seconds % 60 == 0
                   ? QStringLiteral("%1 min left").arg(seconds / 60)
                   : QStringLiteral("%1 min %2 s left").arg(seconds / 60).arg(seconds % 60);
    }
    const qint64 minutes = seconds % 3600 / 60;
    return minutes == 0 ? QStringLiteral("%1 h left").arg(seconds / 3600)
                        : QStringLiteral("%1 h %2 min left").arg(seconds / 3600).arg(minutes);
}

QString RunProgress::title(int percent, int file, int files) const {
    QStringList parts{QStringLiteral("%1%").arg(percent)};
    if (files > 0) {
        parts.append(QStringLiteral("file %1 of %2").arg(file).arg(files));
    }
    if (!m_timeLeft.isEmpty()) {
        parts.append(m_timeLeft);
    }
    return parts.join(QStringLiteral(", ")) + QStringLiteral(" - ") + m_ownTitle;
}

} // namespace kelvane
