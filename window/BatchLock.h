// SPDX-License-Identifier: MIT
#pragma once

#include "core/BatchPlan.h"
#include "engine/Cipher.h"
#include "engine/OutputGroup.h"

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
    void lockAll();
    // A password with a character that has no single-byte code would fail every entry: it is
    // refused before the run.
    // Asks once whether `count` existing output files may be replaced.
    bool replaceAllowed(int count) const;
    bool lockEntry(const BatchPlan::Step& step, const YieldStep& yield, BatchReport& report,
                   OutputGroup& group);

    frmMain& m_window;
};

} // namespace kelvane
