// SPDX-License-Identifier: MIT
#include "window/DirListBox.h"

#include "core/PathHelpers.h"
#include "engine/FileName.h"

#include <QAbstractListModel>
#include <QDir>
#include <QFileInfo>
#include <QStyle>
#include <QStyledItemDelegate>

#include <vector>

namespace kelvane {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndentPixels = 12;

// Draws each entry indented by its depth, so the list reads as a tree.
class IndentDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem shifted(option);
        shifted.rect.setLeft(shifted.rect.left() + index.data(kLevelRole).toInt() * kIndentPixels);
        QStyledItemDelegate::paint(painter, shifted, index);
    }
};

QString normalised(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

// The folder and its parents, the root first.
QStringList chainOf(const QString& path) {
    QStringList chain;
    QDir dir(path);
    while (true) {
        chain.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp()) {
            break;
        }
    }
    return chain;
}

QString displayName(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? QDir::toNativeSeparators(path) : name;
}

} // namespace

// The folder list's entries: the chain of open folders from the root, then the subfolders. Names
// and icons are made when a row is drawn.
class FolderEntries : public QAbstractListModel {
public:
    struct Entry {
        QString path;
        int level = 0;
    };

    FolderEntries(const QIcon& open, const QIcon& closed, QObject* parent)
        : QAbstractListModel(parent), m_open(open), m_closed(closed) {}

    void reset(std::vector<Entry> entries, int openCount) {
        beginResetModel();
        m_entries = std::move(entries);
        m_openCount = openCount;
        endResetModel();
    }

    int count() const { return static_cast<int>(m_entries.size()); }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : count();
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= count()) {
            return {};
        }
        const Entry& entry = m_entries[static_cast<std::size_t>(index.row())];
        switch (role) {
        case Qt::DisplayRole:
            return shownName(index.row() < m_openCount ? displayName(entry.path)
                                                       : QFileInfo(entry.path).fileName());
        case Qt::DecorationRole:
            return index.row() < m_openCount ? m_open : m_closed;
        case kPathRole:
            return entry.path;
        case kLevelRole:
            return entry.level;
        default:
            return {};
        }
    }

private:
    QIcon m_open;
    QIcon m_closed;
    std::vector<Entry> m_entries;
    int m_openCount = 0;
};

DirListBox::DirListBox(QWidget* parent)
    : QListView(parent),
      m_entries(new FolderEntries(style()->standardIcon(QStyle::SP_DirOpenIcon),
                                  style()->standardIcon(QStyle::SP_DirClosedIcon), this)) {
    setModel(m_entries);
    setUniformItemSizes(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    readFolder(QDir::currentPath());
    connect(this, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { setPath(index.data(kPathRole).toString()); });
}

int DirListBox::ListCount() const {
    return m_entries->count() - m_currentRow - 1;
}

bool DirListBox::setPath(const QString& path) {
    const QString wanted = normalised(path);
    const bool moved = wanted != m_path;
    if (!readFolder(wanted)) {
        return false;
    }
    if (moved) {
        emit Change();
    }
    return true;
}

int DirListBox::ListIndex() const {
    const int row = currentIndex().row();
    return row < 0 ? -1 : row - m_currentRow - 1;
}

void DirListBox::setListIndex(int index) {
    const int row = index + m_currentRow + 1;
    if (row >= 0 && row < m_entries->count()) {
        selectionModel()->setCurrentIndex(m_entries->index(row),
                                          QItemSelectionModel::ClearAndSelect);
    }
}

QString DirListBox::List(int index) const {
    return m_entries->index(index + m_currentRow + 1).data(kPathRole).toString();
}

bool DirListBox::Refresh() {
    return readFolder(m_path);
}

bool DirListBox::readFolder(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir() || !info.isReadable()) {
        return false;
    }
    QByteArray entries = folderEntries(path, QDir::Dirs | QDir::NoDotAndDotDot);
    if (path != m_path || entries != m_subfolders) {
        fill(path, sortedNames(entries));
        m_subfolders = std::move(entries);
    }
    selectionModel()->setCurrentIndex(m_entries->index(m_currentRow),
                                      QItemSelectionModel::ClearAndSelect);
    return true;
}

// Lists the chain of folders down to `path`, then its subfolders.
void DirListBox::fill(const QString& path, const QStringList& subfolders) {
    const QStringList chain = chainOf(path);

    std::vector<FolderEntries::Entry> entries;
    entries.reserve(static_cast<std::size_t>(chain.size() + subfolders.size()));
    int level = 0;
    for (const QString& folder : chain) {
        entries.push_back({folder, level++});
    }
    for (const QString& subfolder : subfolders) {
        entries.push_back({QDir::cleanPath(path + QLatin1Char('/') + subfolder), level});
    }
    m_entries->reset(std::move(entries), static_cast<int>(chain.size()));
    m_path = path;
    m_currentRow = static_cast<int>(chain.size()) - 1;
}

} // namespace kelvane
