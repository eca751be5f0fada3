// SPDX-License-Identifier: MIT
#pragma once

#include "engine/AtomicOutput.h"

#include <QString>

#include <optional>

namespace kelvane {

class EngineError;
class LongOperation;
class frmMain;

// The apply button: locks or unlocks the file shown in lblFileFrom into the file shown in
// lblFileTo with the password in txtPassword. Locking and unlocking are the same transform; the
// mode only chose the output name.
class ApplyCommand {
public:
    explicit ApplyCommand(frmMain& window) : m_window(window) {}

    // Checks the inputs in a fixed order and stops at the first failure with its message;
    // asks before an existing output is replaced; runs the transform with the window held in
    // its busy state; reports "Done. Process complete." and refreshes the file list. Any failure
    // of the run ends in one message, with the engine's reason as its detailed text and the
    // window back in its ready state. A run the user stopped says so, and leaves no new file.
    void cmdApply_Click();

private:
    struct Job {
        QString source;
        QString target;
        QString password;
    };

    bool checkInputs(const Job& job) const;
    // Whether the run may replace what is at the target: nothing there, or the user agreed; no
    // answer when the user declined.
    std::optional<Replace> confirmTarget(const Job& job) const;
    // Starts the transform on a worker thread; the end is handled by finish().
    void run(const Job& job, Replace replace) const;
    void finish(const Job& job, LongOperation& operation, const EngineError* error) const;
    static void failed(const std::exception& error);

    frmMain& m_window;
};

} // namespace kelvane
