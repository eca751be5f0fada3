#pragma once

#include "BatchPlan.h"

#include <QObject>
#include <QString>

namespace kelvane {

class BatchReport;
class LongOperation;
class frmMain;

// "Lock All the Bookmarked Files": locks every bookmarked file into its output path with the
// batch password, top to bottom. The list itself is not changed and not saved.
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
    void lockEntry(const BatchPlan::Step& step, LongOperation& run, BatchReport& report);

    frmMain& m_window;
};

} // namespace kelvane
