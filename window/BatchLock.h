// SPDX-License-Identifier: MIT
#pragma once

#include "core/BatchPlan.h"

#include <QObject>
#include <QString>

namespace kelvane {

class BatchReport;
class frmMain;

// "Lock All the Bookmarked Files": locks every bookmarked file into its output path with the
// batch password, top to bottom. The list itself is not changed and not saved. A batch the user
// stops ends with its report: what was locked, skipped or failed, and what was not started.
class BatchLock : public QObject {
    Q_OBJECT

public:
    explicit BatchLock(frmMain& window);

    void cmdLockMultipleFiles_Click();

private:
    // Checks, asks, and starts the batch on a worker thread; report() ends it.
    void lockAll();
    void report(const BatchReport& report, bool closing);
    static void failed(const std::exception& error);
    // Asks once whether `count` existing output files may be replaced.
    bool replaceAllowed(int count) const;

    frmMain& m_window;
};

} // namespace kelvane
