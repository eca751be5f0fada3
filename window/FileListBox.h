// SPDX-License-Identifier: MIT
#pragma once

#include <QListView>

namespace kelvane {

class FileNames;

// The file list: the names of the files in `Path`, sorted, hidden and system files left out.
// A click on a name (or moving to another name with the keyboard) raises Click. The names are
// held as the folder gave them behind a model, and the view draws only the rows in sight, all of
// one height, so that a folder of many thousand files opens as fast as a small one.
class FileListBox : public QListView {
    Q_OBJECT
    Q_PROPERTY(QString Path READ Path WRITE setPath)
    Q_PROPERTY(QString FileName READ FileName WRITE setFileName)
    Q_PROPERTY(int ListIndex READ ListIndex WRITE setListIndex)

public:
    // Starts on the process's working folder.
    explicit FileListBox(QWidget* parent = nullptr);

    QString Path() const { return m_path; }
    // Lists the files of `path`, with nothing selected. False, with nothing changed, when it is
    // not a folder that can be read.
    bool setPath(const QString& path);

    // The selected file's name (without folder), or "" when none is selected.
    QString FileName() const;
    // Selects the file named `name`; false when it is not listed.
    bool setFileName(const QString& name);

    int ListIndex() const { return currentIndex().row(); }
    void setListIndex(int index);
    int ListCount() const;
    QString List(int index) const;

    // Reads the folder again; the selected file stays selected while it is there. False, with
    // nothing changed, when the folder can no longer be read.
    bool Refresh();

signals:
    void Click();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    bool readFolder(const QString& path, const QString& keepSelected);
    void selectRow(int row);
    int rowOf(const QString& name) const;

    FileNames* m_model = nullptr;
    QString m_path;
    bool m_updating = false;
    int m_rowAtPress = -1;
};

} // namespace kelvane
