// SPDX-License-Identifier: MIT
#include "window/ClickableLabel.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QTextLayout>
#include <QTextOption>
#include <QToolTip>

namespace kelvane {

namespace {

QTextOption wrapping(Qt::Alignment alignment) {
    QTextOption option(alignment);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

} // namespace

ClickableLabel::ClickableLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(true);
}

void ClickableLabel::setLinkLook() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, QColor(0, 0, 192));
    setPalette(colours);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    m_link = true;
}

bool ClickableLabel::textFits() const {
    const QRectF area(contentsRect());
    QTextLayout layout(text(), font());
    layout.setTextOption(wrapping(alignment()));
    const qreal leading = QFontMetricsF(font()).leading();
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(area.width());
        height += leading + line.height();
    }
    layout.endLayout();
    return height <= area.height() + 0.5;
}

bool ClickableLabel::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip && m_wholeTextTip && toolTip().isEmpty()) {
        const auto* help = static_cast<QHelpEvent*>(event);
        if (!text().isEmpty() && !textFits()) {
            QToolTip::showText(help->globalPos(), text(), this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QLabel::event(event);
}

void ClickableLabel::changeEvent(QEvent* event) {
    // A link that is held off does not invite a click.
    if (event->type() == QEvent::EnabledChange && m_link) {
        if (isEnabled()) {
            setCursor(Qt::PointingHandCursor);
        } else {
            unsetCursor();
        }
    }
    QLabel::changeEvent(event);
}

void ClickableLabel::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    drawFrame(&painter);
    const QTextOption option = wrapping(alignment());
    // The design colours are set for every state, so a held-off label takes the desktop's
    // colour for disabled text.
    painter.setPen(isEnabled()
                       ? palette().color(QPalette::WindowText)
                       : QApplication::palette().color(QPalette::Disabled, QPalette::WindowText));
    painter.setFont(font());
    painter.drawText(QRectF(contentsRect()), text(), option);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        const QRectF textArea =
            painter.boundingRect(QRectF(contentsRect()), text(), option).intersected(rect());
        focus.rect = textArea.toAlignedRect().adjusted(-1, 0, 1, 0).intersected(rect());
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void ClickableLabel::keyPressEvent(QKeyEvent* event) {
    if (m_link && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        switch (event->key()) {
        case Qt::Key_Space:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            event->accept();
            emit Click();
            return;
        default:
            break;
        }
    }
    QLabel::keyPressEvent(event);
}

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    // Taken here, so that the release comes back to this label and not to the control below.
    event->setAccepted(event->button() == Qt::LeftButton);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit Click();
    }
    event->accept();
}

} // namespace kelvane
