// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Cipher.h"

#include <QByteArray>

#include <chrono>
#include <cstdint>

namespace kelvane::cli {

// Files from this size on show their progress.
inline constexpr std::uint64_t kProgressMinimum = 64ull * 1024 * 1024;

// A percentage line on stderr, redrawn in place with "\r" a few times a second while a large
// file is transformed, and cleared when done. Shown only when stderr is a terminal, and only
// when `wanted`.
class ProgressLine {
public:
    ProgressLine(QByteArray label, std::uint64_t totalBytes, bool wanted = true);
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    // The engine's yield step that feeds this line; empty when no progress is shown, so the
    // engine does not call back at all.
    YieldStep step();

private:
    void update(std::uint64_t done, std::uint64_t total);
    void clear();

    using Clock = std::chrono::steady_clock;

    bool m_enabled;
    QByteArray m_label;
    Clock::time_point m_nextDraw{};
    int m_shownPercent = -1;
    qsizetype m_shownWidth = 0;
};

} // namespace kelvane::cli
