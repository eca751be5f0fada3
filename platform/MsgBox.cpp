// SPDX-License-Identifier: MIT
#include "platform/MsgBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QQueue>

#include <algorithm>
#include <functional>
#include <vector>

namespace kelvane {

namespace {

struct TestState {
    bool on = false;
    QQueue<int> answers;
    QList<MessageBoxes::Shown> shown;
    std::function<void(const MessageBoxes::Shown&)> onShow;
};

TestState& testState() {
    static TestState state;
    return state;
}

// The answer codes of a style's buttons, left to right.
std::vector<int> buttonsOf(int style) {
    switch (style & 7) {
    case vbOKCancel:
        return {vbOK, vbCancel};
    case vbAbortRetryIgnore:
        return {vbAbort, vbRetry, vbIgnore};
    case vbYesNoCancel:
        return {vbYes, vbNo, vbCancel};
    case vbYesNo:
        return {vbYes, vbNo};
    case vbRetryCancel:
        return {vbRetry, vbCancel};
    default:
        return {vbOK};
    }
}

QMessageBox::StandardButton standardButton(int answer) {
    switch (answer) {
    case vbCancel:
        return QMessageBox::Cancel;
    case vbAbort:
        return QMessageBox::Abort;
    case vbRetry:
        return QMessageBox::Retry;
    case vbIgnore:
        return QMessageBox::Ignore;
    case vbYes:
        return QMessageBox::Yes;
    case vbNo:
        return QMessageBox::No;
    default:
        return QMessageBox::Ok;
    }
}

QMessageBox::Icon iconOf(int style) {
    switch (style & 0x70) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

// Room on a title bar besides the title: the window's icon and its three buttons, with margins.
constexpr int kTitleBarRoom = 160;

int showModal(const QString& prompt, int style, const QString& title, const QString& details) {
    const std::unique_ptr<QMessageBox> shown = MessageBoxes::create(prompt, style, title, details);
    QMessageBox& box = *shown;
    const std::vector<int> buttons = buttonsOf(style);
    box.exec();
    const auto* clicked = box.clickedButton();
    for (int answer : buttons) {
        if (clicked != nullptr && clicked == box.button(standardButton(answer))) {
            return answer;
        }
    }
    // Closed without a button (Esc or the close box): the cancelling button, else the default.
    for (int answer : buttons) {
        if (answer == vbCancel || answer == vbNo) {
            return answer;
        }
    }
    return buttons.front();
}

} // namespace

std::unique_ptr<QMessageBox> MessageBoxes::create(const QString& prompt, int style,
                                                  const QString& title, const QString& details) {
    auto box = std::make_unique<QMessageBox>(iconOf(style), title, prompt, QMessageBox::NoButton,
                                             QApplication::activeWindow());
    box->setTextFormat(Qt::PlainText);
    if (!details.isEmpty()) {
        box->setDetailedText(details);
    }
    for (int answer : buttonsOf(style)) {
        box->addButton(standardButton(answer));
    }
    box->setDefaultButton(standardButton(MessageBoxes::defaultAnswer(style)));
    // A message box sizes itself by its text alone, and a window manager cuts a longer title
    // ("Rem...ems"). A spacer across the box's grid keeps it as wide as its title needs.
    if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
        grid->addItem(
            new QSpacerItem(titleBarWidth(title), 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
            grid->rowCount(), 0, 1, grid->columnCount());
    }
    return box;
}

int MessageBoxes::titleBarWidth(const QString& title) {
    // Window managers draw titles in a bold face of about the desktop's size.
    QFont font = QApplication::font();
    font.setBold(true);
    return QFontMetrics(font).horizontalAdvance(title) + kTitleBarRoom;
}

int MessageBoxes::defaultAnswer(int style) {
    const std::vector<int> buttons = buttonsOf(style);
    std::size_t index = 0;
    if ((style & vbDefaultButton3) != 0) {
        index = 2;
    } else if ((style & vbDefaultButton2) != 0) {
        index = 1;
    }
    return buttons[std::min(index, buttons.size() - 1)];
}

void MessageBoxes::setTestMode(bool on) {
    testState().on = on;
    clear();
}

bool MessageBoxes::testMode() {
    return testState().on;
}

void MessageBoxes::setOnShow(std::function<void(const Shown&)> look) {
    testState().onShow = std::move(look);
}

void MessageBoxes::setNextAnswer(int answer) {
    testState().answers.enqueue(answer);
}

QList<MessageBoxes::Shown> MessageBoxes::shown() {
    return testState().shown;
}

void MessageBoxes::clear() {
    testState().answers.clear();
    testState().shown.clear();
    testState().onShow = nullptr;
}

int MsgBox(const QString& Prompt, int Buttons, const QString& Title, const QString& Details) {
    TestState& state = testState();
    if (!state.on) {
        return showModal(Prompt, Buttons, Title, Details);
    }
    state.shown.append({Prompt, Title, Buttons, Details});
    if (state.onShow) {
        state.onShow(state.shown.last());
    }
    return state.answers.isEmpty() ? MessageBoxes::defaultAnswer(Buttons) : state.answers.dequeue();
}

} // namespace kelvane
