// SPDX-License-Identifier: MIT
#include "core/BatchReport.h"

#include <algorithm>

namespace kelvane {

namespace {

const QString kDone = QStringLiteral("Done. Process complete.");
const QString kStopped = QStringLiteral("Stopped. Process not complete.");

QString line(const QString& name, const QString& reason) {
    return name + QStringLiteral(": ") + reason;
}

QString section(const QString& heading, const QStringList& lines) {
    QString text = QStringLiteral("\n\n") + heading;
    const qsizetype listed = std::min<qsizetype>(lines.size(), BatchReport::kListedPerSection);
    for (qsizetype i = 0; i < listed; ++i) {
        text += QLatin1Char('\n') + lines[i];
    }
    if (lines.size() > listed) {
        text += QStringLiteral("\nand %1 more.").arg(lines.size() - listed);
    }
    return text;
}

} // namespace

void BatchReport::skipped(const QString& name, const QString& reason) {
    m_skipped.append(line(name, reason));
}

void BatchReport::failed(const QString& name, const QString& reason) {
    m_failed.append(line(name, reason));
}

void BatchReport::interrupted(const QString& name) {
    m_stopped = true;
    m_interrupted.append(name);
}

void BatchReport::notStarted(const QString& name) {
    m_stopped = true;
    m_notStarted.append(name);
}

QString BatchReport::message() const {
    if (allLocked()) {
        return kDone;
    }
    QString text = (m_stopped ? kStopped : kDone) +
                   QStringLiteral("\n\nLocked %1 of %2 %3.")
                       .arg(m_locked)
                       .arg(m_entries)
                       .arg(m_entries == 1 ? QStringLiteral("file") : QStringLiteral("files"));
    if (!m_skipped.isEmpty()) {
        text += section(QStringLiteral("Skipped:"), m_skipped);
    }
    if (!m_failed.isEmpty()) {
        text += section(QStringLiteral("Failed:"), m_failed);
    }
    if (!m_interrupted.isEmpty()) {
        text +=
            section(QStringLiteral("Stopped while it was being locked (no new file was saved):"),
                    m_interrupted);
    }
    if (!m_notStarted.isEmpty()) {
        text += section(QStringLiteral("Not started:"), m_notStarted);
    }
    return text;
}

} // namespace kelvane
