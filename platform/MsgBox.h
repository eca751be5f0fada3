// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QMessageBox;

namespace kelvane {

// Message box styles: a button set plus an icon, added together.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
};

// The button the user pressed.
enum MsgBoxResult : int {
    vbOK = 1,
    vbCancel = 2,
    vbAbort = 3,
    vbRetry = 4,
    vbIgnore = 5,
    vbYes = 6,
    vbNo = 7,
};

// Shows a modal message box and returns the button pressed (an MsgBoxResult).
// `Buttons` is a style number: 64 information + OK, 36 question + Yes/No (Yes the default),
// 48 exclamation + OK, and the other sums of MsgBoxStyle. A non-empty `Details` is the box's
// detailed text, behind its "Show Details..." button: the system's own words for what went wrong.
int MsgBox(const QString& Prompt, int Buttons = vbOKOnly, const QString& Title = QString(),
           const QString& Details = QString());

// Test mode: no box is shown. Every call is recorded and answered from a queue of scripted
// answers; when the queue is empty, the box's default button answers (OK, or Yes for Yes/No).
class MessageBoxes {
public:
    struct Shown {
        QString prompt;
        QString title;
        int style = 0;
        QString details;
    };

    static void setTestMode(bool on);
    static bool testMode();
    static void setNextAnswer(int answer);
    static QList<Shown> shown();
    // Runs `look` as each box is shown, to see the window as the user sees it then; clear()
    // removes it.
    static void setOnShow(std::function<void(const Shown&)> look);
    // Forgets the recorded boxes and the scripted answers that were not used.
    static void clear();

    // The answer code of the default button of a box with this style.
    static int defaultAnswer(int style);

    // The box MsgBox shows, before it is shown: at least as wide as its title needs on a
    // title bar, beside the desktop's window buttons.
    static std::unique_ptr<QMessageBox> create(const QString& prompt, int style,
                                               const QString& title, const QString& details);
    // The width a window needs for `title` on its title bar, the window buttons included.
    static int titleBarWidth(const QString& title);
};

} // namespace kelvane
