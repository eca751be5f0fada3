// SPDX-License-Identifier: MIT
#pragma once

#include <QComboBox>

namespace kelvane {

// The drive list: the volumes a user picks from, each known by its root folder (on Windows the
// drive letters, "c:"; elsewhere "/" and the mounted volumes). Picking another volume, or
// assigning `Drive`, raises Change.
class DriveListBox : public QComboBox {
    Q_OBJECT
    Q_PROPERTY(QString Drive READ Drive WRITE setDrive)
    Q_PROPERTY(int ListIndex READ ListIndex WRITE setListIndex)

public:
    // Starts on the volume that holds the process's working folder.
    explicit DriveListBox(QWidget* parent = nullptr);

    QString Drive() const { return m_drive; }
    // Selects the volume that holds `drive` (its root or any path on it). False when no listed
    // volume holds it; nothing changes then.
    bool setDrive(const QString& drive);

    int ListIndex() const { return currentIndex(); }
    void setListIndex(int index);
    int ListCount() const { return count(); }
    // The root of volume `index`.
    QString List(int index) const;

    // Reads the volumes again. The selected volume stays selected while it is there; otherwise
    // the volume now holding its root is selected (no Change is raised).
    bool Refresh();

    // Whether a mounted volume is listed (besides "/", which always is): not a system image, not
    // a per-session runtime folder.
    static bool listsVolume(const QString& root, const QByteArray& fileSystemType);

signals:
    void Change();

private:
    void pick(int index);
    int indexHolding(const QString& path) const;

    QString m_drive;
};

} // namespace kelvane
