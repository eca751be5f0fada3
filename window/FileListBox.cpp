// SPDX-License-Identifier: MIT
#include "window/FileListBox.h"

#include "core/PathHelpers.h"
#include "engine/FileName.h"

#include <QAbstractListModel>
#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>

namespace kelvane {

// The file list's rows: the folder's entries as read, byte for byte, and the order they are
// listed in. A row's text is made when the row is drawn, so a large folder costs one reading and
// one sort, and no text for the names out of sight.
class FileNames : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void reset(QByteArray entries, std::vector<qsizetype> order) {
        beginResetModel();
        m_entries = std::move(entries);
        m_order = std::move(order);
        endResetModel();
    }

    const QByteArray& entries() const { return m_entries; }
    int count() const { return static_cast<int>(m_order.size()); }

    // The name of `row` (which must be listed), byte for byte as the folder holds it.
    QByteArrayView bytesAt(int row) const {
        return nameAt(m_entries, m_order[static_cast<std::size_t>(row)]);
    }

    // The row of the name whose bytes are `name`, or -1.
    int rowOf(QByteArrayView name) const {
        for (int row = 0; row < count(); ++row) {
            if (bytesAt(row) == name) {
                return row;
            }
        }
        return -1;
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : count();
    }

    // Each row shows the name with a replacement mark for bytes that are not text; the list
    // keeps the name itself, byte for byte.
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= count() || role != Qt::DisplayRole) {
            return {};
        }
        return shownName(decodeFileName(bytesAt(index.row())));
    }

private:
    QByteArray m_entries;
    std::vector<qsizetype> m_order;
};

FileListBox::FileListBox(QWidget* parent) : QListView(parent), m_model(new FileNames(this)) {
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
    const int row = rowOf(name);
    if (row < 0) {
        return false;
    }
    setListIndex(row);
    return true;
}

void FileListBox::setListIndex(int index) {
    const QScopedValueRollback updating(m_updating, true);
    selectRow(index >= 0 && index < ListCount() ? index : -1);
}

int FileListBox::ListCount() const {
    return m_model->count();
}

QString FileListBox::List(int index) const {
    return index >= 0 && index < ListCount() ? decodeFileName(m_model->bytesAt(index)) : QString();
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

// The row of the file named `name`, or -1. A text that no name read from a folder decodes to
// (one holding a lone surrogate of another range) names no file.
int FileListBox::rowOf(const QString& name) const {
    const QByteArray bytes = encodeFileName(name);
    return name.isEmpty() || decodeFileName(bytes) != name ? -1 : m_model->rowOf(bytes);
}

bool FileListBox::readFolder(const QString& path, const QString& keepSelected) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir() || !info.isReadable()) {
        return false;
    }
    QByteArray entries = folderEntries(path, QDir::Files | QDir::NoDotAndDotDot);
    const QScopedValueRollback updating(m_updating, true);
    // The window reads its folder again each time it is activated; when nothing changed since
    // the last reading, the rows stay, and so does where the list was scrolled.
    if (path != m_path || entries != m_model->entries()) {
        std::vector<qsizetype> order = sortedOrder(entries);
        m_model->reset(std::move(entries), std::move(order));
        m_path = path;
    }
    selectRow(rowOf(keepSelected));
    return true;
}

} // namespace kelvane
