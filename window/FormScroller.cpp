// SPDX-License-Identifier: MIT
#include "window/FormScroller.h"

#include <QEvent>
#include <QScrollBar>
#include <QStyle>
#include <QWidget>

namespace kelvane {

FormScroller::FormScroller(QWidget& window, QSize formSize)
    : QObject(&window), m_window(window), m_formSize(formSize),
      m_horizontal(new QScrollBar(Qt::Horizontal, &window)),
      m_vertical(new QScrollBar(Qt::Vertical, &window)) {
    for (QScrollBar* bar : {m_horizontal, m_vertical}) {
        bar->setFocusPolicy(Qt::NoFocus); // the keyboard reaches every control by Tab
        bar->setVisible(false);
        connect(bar, &QScrollBar::valueChanged, this,
                [this] { scrollTo(QPoint(m_horizontal->value(), m_vertical->value())); });
    }
    window.installEventFilter(this);
}

QSize FormScroller::contentSize() const {
    return m_window.size().expandedTo(m_formSize);
}

bool FormScroller::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_window &&
        (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        placeBars();
    }
    return QObject::eventFilter(watched, event);
}

void FormScroller::placeBars() {
    const int extent =
        m_window.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_horizontal);
    const QSize window = m_window.size();
    // A bar in one direction takes room from the other, which may then need its bar too.
    bool across = window.width() < m_formSize.width();
    bool down = window.height() < m_formSize.height();
    across = across || (down && window.width() - extent < m_formSize.width());
    down = down || (across && window.height() - extent < m_formSize.height());
    const QSize view(window.width() - (down ? extent : 0), window.height() - (across ? extent : 0));

    m_horizontal->setGeometry(0, window.height() - extent, view.width(), extent);
    m_vertical->setGeometry(window.width() - extent, 0, extent, view.height());
    m_horizontal->setRange(0, across ? m_formSize.width() - view.width() : 0);
    m_vertical->setRange(0, down ? m_formSize.height() - view.height() : 0);
    m_horizontal->setPageStep(view.width());
    m_vertical->setPageStep(view.height());
    m_horizontal->setSingleStep(20);
    m_vertical->setSingleStep(20);
    m_horizontal->setVisible(across);
    m_vertical->setVisible(down);
    m_horizontal->raise();
    m_vertical->raise();
    scrollTo(QPoint(m_horizontal->value(), m_vertical->value()));
}

void FormScroller::scrollTo(QPoint offset) {
    const QPoint shift = m_offset - offset;
    if (shift.isNull()) {
        return;
    }
    m_offset = offset;
    for (QObject* child : m_window.children()) {
        auto* control = qobject_cast<QWidget*>(child);
        if (control != nullptr && control != m_horizontal && control != m_vertical &&
            !control->isWindow()) {
            control->move(control->pos() + shift);
        }
    }
}

} // namespace kelvane
