// SPDX-License-Identifier: MIT
#include "window/DirListBox.h"

#include <QDir>
#include <QFileInfo>
#include <QStyle>
#include <QStyledItemDelegate>

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

DirListBox::DirListBox(QWidget* parent) : QListWidget(parent) {
    setItemDelegate(new IndentDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    readFolder(QDir::currentPath());
    connect(this, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { setPath(item->data(kPathRole).toString()); });
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
    return currentRow() < 0 ? -1 : currentRow() - m_currentRow - 1;
}

void DirListBox::setListIndex(int index) {
    const int row = index + m_currentRow + 1;
    if (row >= 0 && row < count()) {
        setCurrentRow(row);
    }
}

QString DirListBox::List(int index) const {
    const QListWidgetItem* entry = item(index + m_currentRow + 1);
    return entry == nullptr ? QString() : entry->data(kPathRole).toString();
}

bool DirListBox::Refresh() {
    return readFolder(m_path);
}

bool DirListBox::readFolder(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isDir() || !info.isReadable()) {
        return false;
    }
    const QFileInfoList subfolders =
        QDir(path).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    const QStringList chain = chainOf(path);

    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    int level = 0;
    for (const QString& folder : chain) {
        auto* entry = new QListWidgetItem(open, displayName(folder), this);
        entry->setData(kPathRole, folder);
        entry->setData(kLevelRole, level++);
    }
    for (const QFileInfo& subfolder : subfolders) {
        auto* entry = new QListWidgetItem(closed, subfolder.fileName(), this);
        entry->setData(kPathRole, normalised(subfolder.absoluteFilePath()));
        entry->setData(kLevelRole, level);
    }
    m_path = path;
    m_currentRow = static_cast<int>(chain.size()) - 1;
    setCurrentRow(m_currentRow);
    return true;
}

} // namespace kelvane
