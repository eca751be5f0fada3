// SPDX-License-Identifier: MIT
#include "window/ListFocus.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QStyleOptionFocusRect>

namespace kelvane {

ListFocus::ListFocus(QAbstractItemView& list)
    : QObject(&list), m_list(list), m_viewport(list.viewport()) {
    list.installEventFilter(this);
    m_viewport->installEventFilter(this);
}

bool ListFocus::eventFilter(QObject* watched, QEvent* event) {
    if (m_passing) {
        return false;
    }
    if (watched == m_viewport) {
        return event->type() == QEvent::Paint && paint(event);
    }
    if (watched != &m_list) {
        return false;
    }
    switch (event->type()) {
    case QEvent::FocusIn:
        return focusIn(event);
    case QEvent::FocusOut:
        m_list.viewport()->update();
        return false;
    case QEvent::KeyPress: {
        // With no row current, the toolkit's Space and Enter do nothing: they take the first.
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool selects = key->key() == Qt::Key_Space || key->key() == Qt::Key_Return ||
                             key->key() == Qt::Key_Enter;
        if (selects && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier &&
            currentRow() < 0 && rowCount() > 0) {
            m_list.setCurrentIndex(m_list.model()->index(0, 0));
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

// The toolkit makes the first row current when a list without one takes the focus other than
// by a click, with no row shown selected; here such a list keeps no current row.
bool ListFocus::focusIn(QEvent* event) {
    m_list.viewport()->update();
    if (static_cast<QFocusEvent*>(event)->reason() == Qt::MouseFocusReason || currentRow() >= 0) {
        return false;
    }
    const QScopedValueRollback passing(m_passing, true);
    // What the toolkit makes current here is no move of the user's: the lists hear nothing of it.
    const QSignalBlocker quiet(m_list.selectionModel());
    QCoreApplication::sendEvent(&m_list, event);
    m_list.selectionModel()->clearCurrentIndex();
    m_list.viewport()->update();
    return true;
}

int ListFocus::currentRow() const {
    return m_list.currentIndex().isValid() ? m_list.currentIndex().row() : -1;
}

int ListFocus::rowCount() const {
    return m_list.model() != nullptr ? m_list.model()->rowCount() : 0;
}

bool ListFocus::paint(QEvent* event) {
    if (!m_list.hasFocus()) {
        return false;
    }
    {
        const QScopedValueRollback passing(m_passing, true);
        QCoreApplication::sendEvent(m_list.viewport(), event);
    }
    QPainter painter(m_list.viewport());
    QStyleOptionFocusRect focus;
    focus.initFrom(&m_list);
    focus.rect = m_list.viewport()->rect();
    focus.backgroundColor = m_list.palette().color(QPalette::Base);
    m_list.style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, &m_list);
    return true;
}

} // namespace kelvane
