#pragma once

#include <QString>
#include <QStringList>

namespace kelvane {

// The outcome of one batch lock, as the final message tells it. When every entry was locked the
// message is just "Done. Process complete."; otherwise the same words are followed by the count
// and by the entries skipped and failed, each with its reason.
class BatchReport {
public:
    // Entries named in each section before the rest are summed up as "and N more.".
    static constexpr int kListedPerSection = 8;

    explicit BatchReport(int entries) : m_entries(entries) {}

    void locked() { ++m_locked; }
    void skipped(const QString& name, const QString& reason);
    void failed(const QString& name, const QString& reason);

    bool allLocked() const { return m_locked == m_entries; }
    QString message() const;

private:
    int m_entries = 0;
    int m_locked = 0;
    QStringList m_skipped;
    QStringList m_failed;
};

} // namespace kelvane
