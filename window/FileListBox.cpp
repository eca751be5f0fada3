// SPDX-License-Identifier: MIT
#include "window/FileListBox.h"

#include "core/PathHelpers.h"
#include "engine/FileName.h"

#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QStringListModel>

namespace kelvane {

FileListBox::FileListBox(QWidget* parent) : QListView(parent), m_model(new QStringListModel(this)) {
    setModel(m_model);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    readFolder(QDir::currentPath(), QString());
    // A move to another row by mouse or keyboard is a click; a click on the row that is already
    // current changes no row and is caught by clicked.
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!m_updating && current.row() >= 0) {
                    emit Click();
                }
            });
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& clicked) {
        if (clicked.row() == m_rowAtPress) {
            emit Click();
        }
    });
}

bool FileListBox::setPath(const QString& path) {
    return readFolder(QDir::cleanPath(QFileInfo(path).absoluteFilePath()), QString());
}

QString FileListBox::FileName() const {
    return List(ListIndex());
}

bool FileListBox::setFileName(const QString& name) {
    const qsizetype row = m_names.indexOf(name);
    if (row < 0) {
        return false;
    }
    setListIndex(static_cast<int>(row));
    return true;
}

void FileListBox::setListIndex(int index) {
    const QScopedValueRollback updating(m_updating, true);
    selectRow(index >= 0 && index < ListCount() ? index : -1);
}

QString FileListBox::List(int index) const {
    return index >= 0 && index < ListCount() ? m_names.at(index) : QString();
}

bool FileListBox::Refresh() {
    return readFolder(m_path, FileName());
}

void FileListBox::mousePressEvent(QMouseEvent* event) {
    m_rowAtPress = ListIndex();
    QListView::mousePressEvent(event);
}

// The row becomes the current one and the only one selected; -1 leaves none.
void FileListBox::selectRow(int row) {
    selectionModel()->setCurrentIndex(m_model->index(row), QItemSelectionModel::ClearAndSelect);
}

bool FileListBox::readFolder(const QString& path, const QString& keepSelected) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir() || !info.isReadable()) {
        return false;
    }
    m_names = sortedEntries(path, QDir::Files | QDir::NoDotAndDotDot);
    // Each row shows the name with a replacement mark for bytes that are not text; the list
    // keeps the name itself, byte for byte.
    QStringList shown;
    shown.reserve(m_names.size());
    for (const QString& name : m_names) {
        shown.append(shownName(name));
    }
    const QScopedValueRollback updating(m_updating, true);
    m_model->setStringList(shown);
    m_path = path;
    selectRow(keepSelected.isEmpty() ? -1 : static_cast<int>(m_names.indexOf(keepSelected)));
    return true;
}

} // namespace kelvane
