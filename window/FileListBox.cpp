// SPDX-License-Identifier: MIT
#include "window/FileListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>

namespace kelvane {

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
    return selected == nullptr ? QString() : selected->text();
}

bool FileListBox::setFileName(const QString& name) {
    const QList<QListWidgetItem*> found =
        findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found.isEmpty()) {
        return false;
    }
    setListIndex(row(found.first()));
    return true;
}

void FileListBox::setListIndex(int index) {
    const QScopedValueRollback updating(m_updating, true);
    setCurrentRow(index >= 0 && index < count() ? index : -1);
}

QString FileListBox::List(int index) const {
    const QListWidgetItem* entry = item(index);
    return entry == nullptr ? QString() : entry->text();
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
    const QStringList names =
        QDir(path).entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    const QScopedValueRollback updating(m_updating, true);
    clear();
    addItems(names);
    m_path = path;
    setCurrentRow(keepSelected.isEmpty() ? -1 : static_cast<int>(names.indexOf(keepSelected)));
    return true;
}

} // namespace kelvane
