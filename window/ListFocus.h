// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

class QAbstractItemView;

namespace kelvane {

// The keyboard on the folder and file lists. A list that has the keyboard focus shows a focus
// frame. The focus alone selects nothing: coming into a list with nothing selected (by Tab, or
// when the window is activated) leaves nothing selected; the arrows, Space and Enter then select
// as a click does.
class ListFocus : public QObject {
    Q_OBJECT

public:
    explicit ListFocus(QAbstractItemView& list);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool focusIn(QEvent* event);
    bool paint(QEvent* event);

    int currentRow() const;
    int rowCount() const;

    QAbstractItemView& m_list;
    // Kept from the start: while the list is being destroyed it can no longer be asked.
    QObject* m_viewport;
    bool m_passing = false; // an event on its way to the list itself
};

} // namespace kelvane
