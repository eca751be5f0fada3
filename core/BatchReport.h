// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

namespace kelvane {

// The outcome of one batch lock, as the final message tells it. When every entry was locked the
// message is just "Done. Process complete."; otherwise the same words are followed by the count
// and by the entries skipped and failed, each with its reason. A batch the user stopped begins
// with "Stopped. Process not complete." and also names the entry it was locking, of which
// nothing was written, and the entries it did not start.
class BatchReport {
public:
    // Entries named in each section before the rest are summed up as "and N more.".
    static constexpr int kListedPerSection = 8;

    explicit BatchReport(int entries) : m_entries(entries) {}

    void locked() { ++m_locked; }
    void skipped(const QString& name, const QString& reason);
    void failed(const QString& name, const QString& reason);
    // The user stopped the run while `name` was being locked.
    void interrupted(const QString& name);
    void notStarted(const QString& name);

    bool allLocked() const { return m_locked == m_entries && !m_stopped; }
    bool stopped() const { return m_stopped; }
    bool anyFailed() const { return !m_failed.isEmpty(); }
    QString message() const;

private:
    int m_entries = 0;
    int m_locked = 0;
    QStringList m_skipped;
    QStringList m_failed;
    QStringList m_interrupted;
    QStringList m_notStarted;
    bool m_stopped = false;
};

} // namespace kelvane
