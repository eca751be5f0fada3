// SPDX-License-Identifier: MIT
#include "platform/Attention.h"

#include <QApplication>
#include <QWidget>

namespace kelvane {

namespace {

struct TestState {
    bool on = false;
    int count = 0;
};

TestState& testState() {
    static TestState state;
    return state;
}

} // namespace

void AskForAttention(QWidget& window) {
    if (window.isActiveWindow()) {
        return;
    }
    if (testState().on) {
        ++testState().count;
        return;
    }
    QApplication::alert(&window);
}

void AttentionRequests::setTestMode(bool on) {
    testState() = TestState{on, 0};
}

int AttentionRequests::count() {
    return testState().count;
}

} // namespace kelvane
