// SPDX-License-Identifier: MIT
#pragma once

class QWidget;

namespace kelvane {

// Asks the desktop to draw the user's attention to `window` (its taskbar entry flashes), when
// it is not the active window.
void AskForAttention(QWidget& window);

// Test mode: the desktop is not asked; the requests are counted.
class AttentionRequests {
public:
    static void setTestMode(bool on);
    static int count();
};

} // namespace kelvane
