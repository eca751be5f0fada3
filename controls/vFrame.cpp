// SPDX-License-Identifier: MIT
#include "controls/vFrame.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QTabBar>

namespace kelvane {

vFrame::vFrame(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

void vFrame::setCollapsed(bool collapsed) {
    if (m_collapsed != collapsed) {
        m_collapsed = collapsed;
        update();
    }
}

void vFrame::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        if (isEnabled()) {
            setCursor(Qt::PointingHandCursor);
        } else {
            unsetCursor();
        }
    }
    QWidget::changeEvent(event);
}

void vFrame::paintEvent(QPaintEvent* /*event*/) {
    QStylePainter painter(this);
    QStyleOptionTab tab;
    tab.initFrom(this);
    tab.shape = QTabBar::RoundedNorth;
    tab.position = QStyleOptionTab::OnlyOneTab;
    tab.rect = rect();
    if (!m_collapsed) {
        tab.state |= QStyle::State_Selected;
    } else {
        // A flat tab sits a little lower than the selected one, as in a tab bar.
        tab.rect.setTop(tab.rect.top() + 2);
    }
    painter.drawControl(QStyle::CE_TabBarTabShape, tab);
    if (!isEnabled()) {
        // The styles draw a disabled tab much like an enabled one.
        QColor wash = palette().color(QPalette::Window);
        wash.setAlpha(140);
        painter.fillRect(tab.rect, wash);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(4, 4, -4, -4);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

void vFrame::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit ExpandCollapse();
    }
    QWidget::mouseReleaseEvent(event);
}

void vFrame::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit ExpandCollapse();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

} // namespace kelvane
