// SPDX-License-Identifier: MIT
#include "cli/ProgressLine.h"

#include "cli/Terminal.h"

#include <unistd.h>

namespace kelvane::cli {

namespace {
constexpr auto kRedrawInterval = std::chrono::milliseconds(250);
}

ProgressLine::ProgressLine(QByteArray label, std::uint64_t totalBytes, bool wanted)
    : m_enabled(wanted && totalBytes >= kProgressMinimum && isTerminal(STDERR_FILENO)),
      m_label(std::move(label)) {}

ProgressLine::~ProgressLine() {
    clear();
}

YieldStep ProgressLine::step() {
    if (!m_enabled) {
        return {};
    }
    return [this](std::uint64_t done, std::uint64_t total) { update(done, total); };
}

void ProgressLine::update(std::uint64_t done, std::uint64_t total) {
    const Clock::time_point now = Clock::now();
    if (now < m_nextDraw || total == 0) {
        return;
    }
    const int percent = static_cast<int>(done * 100 / total);
    if (percent == m_shownPercent) {
        return;
    }
    m_nextDraw = now + kRedrawInterval;
    m_shownPercent = percent;
    const QByteArray line = m_label + ' ' + QByteArray::number(percent) + '%';
    writeToStderr('\r' + line);
    m_shownWidth = line.size();
}

void ProgressLine::clear() {
    if (m_shownWidth > 0) {
        writeToStderr('\r' + QByteArray(m_shownWidth, ' ') + '\r');
        m_shownWidth = 0;
    }
}

} // namespace kelvane::cli
