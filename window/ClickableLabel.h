// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>

namespace kelvane {

// A caption label. Its text is always plain text and wraps inside the label, at spaces where it
// can and anywhere else when a word (a long path) is wider than the label. A click raises Click,
// which is how the link-style labels work. A disabled label shows its text greyed.
class ClickableLabel : public QLabel {
    Q_OBJECT

public:
    explicit ClickableLabel(QWidget* parent = nullptr);

    // Shows the label as a link: dark blue, underlined, with a pointing hand. A link also takes
    // the focus with Tab, shows a focus frame around its text, and Enter or Space raises Click.
    void setLinkLook();
    bool isLink() const { return m_link; }

    // The label's text has a colour of its own, so it also keeps the ground it was drawn on:
    // `legacy` gives the ground and the colour of held-off text. With `paintGround` the label
    // paints that ground itself wherever the desktop's ground would not let its text be read;
    // otherwise the control beneath it keeps the legacy colours.
    void setLegacyGround(const QPalette& legacy, bool paintGround);

    // When the text does not fit the label, its tooltip shows the whole text.
    void setWholeTextTip(bool on) { m_wholeTextTip = on; }
    // Whether the whole text, wrapped as the label draws it, fits inside the label.
    bool textFits() const;

signals:
    void Click();

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool m_link = false;
    bool m_wholeTextTip = false;
    QColor m_ground;       // invalid: the parent's ground shows through
    QColor m_disabledText; // invalid: the desktop's colour for held-off text
};

} // namespace kelvane
