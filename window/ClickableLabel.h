#pragma once

#include <QLabel>

namespace kelvane {

// A caption label. Its text is always plain text and wraps inside the label, at spaces where it
// can and anywhere else when a word (a long path) is wider than the label. A click raises Click,
// which is how the link-style labels work.
class ClickableLabel : public QLabel {
    Q_OBJECT

public:
    explicit ClickableLabel(QWidget* parent = nullptr);

    // Shows the label as a link: dark blue, underlined, with a pointing hand.
    void setLinkLook();

signals:
    void Click();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace kelvane
