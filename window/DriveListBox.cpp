// SPDX-License-Identifier: MIT
#include "window/DriveListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>
#include <QStorageInfo>

#include <algorithm>

namespace kelvane {

namespace {

struct Volume {
    QString root;
    QString label;
};

#ifdef Q_OS_WIN
QList<Volume> readVolumes() {
    QList<Volume> volumes;
    for (const QFileInfo& drive : QDir::drives()) {
        const QString root = drive.absolutePath(); // "C:/"
        const QString letter = root.left(2).toLower();
        const QString name = QStorageInfo(root).name();
        volumes.append({letter, name.isEmpty() ? letter : letter + " [" + name + "]"});
    }
    return volumes;
}
#else
bool isUserVolume(const QStorageInfo& volume) {
    return volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir() &&
           DriveListBox::listsVolume(volume.rootPath(), volume.fileSystemType());
}

QList<Volume> readVolumes() {
    QList<Volume> mounted;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        const bool known = std::any_of(mounted.begin(), mounted.end(),
                                       [&](const Volume& v) { return v.root == root; });
        if (root != QLatin1String("/") && !known && isUserVolume(volume)) {
            const QString name = volume.name();
            mounted.append({root, name.isEmpty() ? root : root + " [" + name + "]"});
        }
    }
    std::sort(mounted.begin(), mounted.end(),
              [](const Volume& a, const Volume& b) { return a.root < b.root; });
    mounted.prepend({QStringLiteral("/"), QStringLiteral("/")});
    return mounted;
}
#endif

bool holds(const QString& root, const QString& path) {
#ifdef Q_OS_WIN
    return path.startsWith(root, Qt::CaseInsensitive);
#else
    if (root == QLatin1String("/")) {
        return path.startsWith(QLatin1Char('/'));
    }
    return path == root || path.startsWith(root + QLatin1Char('/'));
#endif
}

} // namespace

// Mount points that are no place to keep files: system images and the per-session runtime
// folders (removable media mounted under /run/media are kept).
bool DriveListBox::listsVolume(const QString& root, const QByteArray& fileSystemType) {
    if (fileSystemType == "squashfs" || fileSystemType == "nsfs") {
        return false;
    }
    return !root.startsWith(QLatin1String("/run/")) ||
           root.startsWith(QLatin1String("/run/media/"));
}

DriveListBox::DriveListBox(QWidget* parent) : QComboBox(parent) {
    Refresh();
    const int start = indexHolding(QDir::currentPath());
    if (start >= 0) {
        const QSignalBlocker quiet(this);
        setCurrentIndex(start);
        m_drive = List(start);
    }
    connect(this, &QComboBox::activated, this, &DriveListBox::pick);
}

bool DriveListBox::setDrive(const QString& drive) {
    const int index = indexHolding(drive);
    if (index < 0) {
        return false;
    }
    pick(index);
    return true;
}

void DriveListBox::setListIndex(int index) {
    if (index >= 0 && index < count()) {
        pick(index);
    }
}

QString DriveListBox::List(int index) const {
    return itemData(index).toString();
}

bool DriveListBox::Refresh() {
    const QList<Volume> volumes = readVolumes();
    const QSignalBlocker quiet(this);
    clear();
    for (const Volume& volume : volumes) {
        addItem(volume.label, volume.root);
    }
    int index = findData(m_drive);
    if (index < 0 && !m_drive.isEmpty()) {
        index = indexHolding(m_drive);
    }
    if (index >= 0) {
        setCurrentIndex(index);
        m_drive = List(index);
    }
    return true;
}

void DriveListBox::pick(int index) {
    {
        const QSignalBlocker quiet(this);
        setCurrentIndex(index);
    }
    const QString drive = List(index);
    if (drive != m_drive) {
        m_drive = drive;
        emit Change();
    }
}

int DriveListBox::indexHolding(const QString& path) const {
#ifdef Q_OS_WIN
    const QString wanted = QDir::fromNativeSeparators(path);
#else
    const QString wanted = QDir::cleanPath(path);
#endif
    int best = -1;
    for (int i = 0; i < count(); ++i) {
        if (holds(List(i), wanted) && (best < 0 || List(i).size() > List(best).size())) {
            best = i;
        }
    }
    return best;
}

} // namespace kelvane
