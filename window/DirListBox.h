// SPDX-License-Identifier: MIT
#pragma once

#include <QListView>

namespace kelvane {

// The folder list: the current folder under its parents (from the root down), then its
// subfolders. Opening an entry (double click or Enter) makes it the current folder. Assigning a
// new `Path`, by code or by opening an entry, raises Change. Hidden folders are left out.
//
// The entries are held behind a model and drawn only where in sight, all of one height, so that a
// folder with many thousand subfolders opens as fast as a small one.
//
// ListIndex follows the folder list's numbering: -1 is the current folder, -2 its parent and so
// on up to the root; the subfolders are 0 to ListCount - 1.
class FolderEntries;

class DirListBox : public QListView {
    Q_OBJECT
    Q_PROPERTY(QString Path READ Path WRITE setPath)
    Q_PROPERTY(int ListIndex READ ListIndex WRITE setListIndex)

public:
    // Starts on the process's working folder.
    explicit DirListBox(QWidget* parent = nullptr);

    // The current folder, a full path with "/" separators.
    QString Path() const { return m_path; }
    // Makes `path` the current folder. False, with nothing changed, when it is not a folder
    // that can be read.
    bool setPath(const QString& path);

    int ListIndex() const;
    void setListIndex(int index);
    // The number of subfolders.
    int ListCount() const;
    // The full path of entry `index` (numbered as ListIndex), or "" when there is none.
    QString List(int index) const;

    // Reads the current folder's subfolders again. False, with nothing changed, when the
    // folder can no longer be read.
    bool Refresh();

signals:
    void Change();

private:
    bool readFolder(const QString& path);
    void fill(const QString& path, const QStringList& subfolders);

    FolderEntries* m_entries = nullptr;
    QByteArray m_subfolders; // the folder as last read (folderEntries)
    QString m_path;
    int m_currentRow = -1;
};

} // namespace kelvane
