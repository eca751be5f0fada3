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

#include <algorithm>
#include <cmath>

namespace kelvane {

namespace {

QTextOption wrapping(Qt::Alignment alignment) {
    QTextOption option(alignment);
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    return option;
}

// The relative luminance of a colour, and the contrast of two colours (from 1 to 21), as the
// accessibility guidelines measure them.
double luminance(const QColor& colour) {
    const auto linear = [](float c) {
        return c <= 0.03928f ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) +
           0.0722 * linear(colour.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Text this much brighter or darker than its ground reads well.
constexpr double kReadableContrast = 4.5;

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

void ClickableLabel::setLegacyGround(const QPalette& legacy, bool paintGround) {
    m_ground = paintGround ? legacy.color(QPalette::Active, QPalette::Window) : QColor();
    m_disabledText = legacy.color(QPalette::Disabled, QPalette::WindowText);
    update();
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
    const QTextOption option = wrapping(alignment());
    painter.setFont(font());
    // The legacy ground is painted behind the text where the desktop's ground would hide it (a
    // dark palette); on a light one the frame beneath shows through, as it always has.
    if (m_ground.isValid() && contrast(palette().color(QPalette::WindowText),
                                       palette().color(QPalette::Window)) < kReadableContrast) {
        const QRectF textArea = painter.boundingRect(QRectF(contentsRect()), text(), option);
        painter.fillRect(textArea.toAlignedRect().adjusted(-3, -1, 3, 1).intersected(rect()),
                         m_ground);
    }
    drawFrame(&painter);
    // The design colours are set for every state, so a held-off label takes the colour for
    // disabled text of its ground: the legacy one, or else the desktop's.
    const QColor disabled =
        m_disabledText.isValid()
            ? m_disabledText
            : QApplication::palette().color(QPalette::Disabled, QPalette::WindowText);
    painter.setPen(isEnabled() ? palette().color(QPalette::WindowText) : disabled);
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
