// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>
#include <QPoint>
#include <QSize>

class QScrollBar;
class QWidget;

namespace kelvane {

// Keeps the whole form within reach in a window smaller than the form (a small screen, a large
// scale factor, or a user who made the window smaller): scroll bars appear along the bottom and
// the right, and move the form's controls under them. A window as large as the form or larger
// shows no scroll bars and leaves every control where it is.
class FormScroller : public QObject {
    Q_OBJECT

public:
    // `formSize`: the size the form's controls need, in pixels.
    FormScroller(QWidget& window, QSize formSize);

    // The window's size, or the form's where the window is smaller.
    QSize contentSize() const;
    // How far the form is scrolled (both figures 0 or more).
    QPoint offset() const { return m_offset; }
    // The scroll bars; each shows only while the window is too small in its direction.
    QScrollBar& horizontal() const { return *m_horizontal; }
    QScrollBar& vertical() const { return *m_vertical; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void placeBars();
    void scrollTo(QPoint offset);

    QWidget& m_window;
    QSize m_formSize;
    QScrollBar* m_horizontal;
    QScrollBar* m_vertical;
    QPoint m_offset;
};

} // namespace kelvane
