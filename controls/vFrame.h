// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

namespace kelvane {

// A tab-like frame button that can hold child controls. `Collapsed` false draws it as the
// selected tab (raised, joined to the page below), true as a flat tab. A click on the button
// itself, or Space or Enter while it has the focus, raises ExpandCollapse; the owner decides
// which button is collapsed. A disabled button looks washed out, with no pointing hand.
class vFrame : public QWidget {
    Q_OBJECT
    Q_PROPERTY(bool Collapsed READ Collapsed WRITE setCollapsed)

public:
    explicit vFrame(QWidget* parent = nullptr);

    bool Collapsed() const { return m_collapsed; }
    void setCollapsed(bool collapsed);

signals:
    void ExpandCollapse();

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_collapsed = true;
};

} // namespace kelvane
