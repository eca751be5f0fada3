// SPDX-License-Identifier: MIT
#include "window/FileListBox.h"

#include "engine/FileName.h"

#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>

#include <algorithm>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace kelvane {

namespace {

// Each row shows the name with a replacement mark for bytes that are not text, and keeps the
// name itself, byte for byte, under this role.
constexpr int kExactName = Qt::UserRole;

// The names of the files in `folder` (links to files too), hidden ones left out, sorted without
// regard to case. Read with the system's own calls: Qt's leaves out a name that is not valid
// text.
QStringList filesIn(const QString& folder) {
    QStringList names;
    DIR* listing = ::opendir(encodeFileName(folder).constData());
    if (listing == nullptr) {
        return names;
    }
    const int folderFd = ::dirfd(listing);
    while (const dirent* entry = ::readdir(listing)) {
        struct stat status {};
        if (entry->d_name[0] != '.' && ::fstatat(folderFd, entry->d_name, &status, 0) == 0 &&
            S_ISREG(status.st_mode)) {
            names.append(decodeFileName(entry->d_name));
        }
    }
    ::closedir(listing);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    return names;
}

} // namespace

FileListBox::FileListBox(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    readFolder(QDir::currentPath(), QString());
    // A move to another row by mouse or keyboard is a click; a click on the row that is already
    // current changes no row and is caught by itemClicked.
    connect(this, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_updating && row >= 0) {
            emit Click();
        }
    });
    connect(this, &QListWidget::itemClicked, this, [this](QListWidgetItem* clicked) {
        if (row(clicked) == m_rowAtPress) {
            emit Click();
        }
    });
}

bool FileListBox::setPath(const QString& path) {
    return readFolder(QDir::cleanPath(QFileInfo(path).absoluteFilePath()), QString());
}

QString FileListBox::FileName() const {
    const QListWidgetItem* selected = currentItem();
    return selected == nullptr ? QString() : selected->data(kExactName).toString();
}

bool FileListBox::setFileName(const QString& name) {
    for (int index = 0; index < count(); ++index) {
        if (List(index) == name) {
            setListIndex(index);
            return true;
        }
    }
    return false;
}

void FileListBox::setListIndex(int index) {
    const QScopedValueRollback updating(m_updating, true);
    setCurrentRow(index >= 0 && index < count() ? index : -1);
}

QString FileListBox::List(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry == nullptr ? QString() : entry->data(kExactName).toString();
}

bool FileListBox::Refresh() {
    return readFolder(m_path, FileName());
}

void FileListBox::mousePressEvent(QMouseEvent* event) {
    m_rowAtPress = currentRow();
    QListWidget::mousePressEvent(event);
}

bool FileListBox::readFolder(const QString& path, const QString& keepSelected) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir() || !info.isReadable()) {
        return false;
    }
    const QStringList names = filesIn(path);
    const QScopedValueRollback updating(m_updating, true);
    clear();
    for (const QString& name : names) {
        auto* row = new QListWidgetItem(shownName(name), this);
        row->setData(kExactName, name);
    }
    m_path = path;
    setCurrentRow(keepSelected.isEmpty() ? -1 : static_cast<int>(names.indexOf(keepSelected)));
    return true;
}

} // namespace kelvane
