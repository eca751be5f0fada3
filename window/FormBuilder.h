// SPDX-License-Identifier: MIT
#pragma once

#include "window/Layout.h"

#include <QFont>
#include <QHash>
#include <QString>

class QWidget;

namespace kelvane {

// Builds a form's controls from its design table: each control is created with its kind, parent,
// caption, place, font, colours and start visibility, and named after its row (objectName).
// The focus order follows the rows' tab numbers, links included; every control also carries its
// number in the dynamic property "TabIndex". The form gets its design caption and client size.
class FormBuilder {
public:
    explicit FormBuilder(QWidget& form);

    // Creates every control of `design` and returns them by name.
    QHash<QString, QWidget*> build(const layout::FormDesign& design);

    // Twips to pixels at 15 twips per pixel.
    static int pixels(double twips);

private:
    QWidget* create(const layout::ControlDesign& row, QWidget* parent) const;

    QWidget& m_form;
};

// The font for a design entry: Verdana (or the closest sans-serif face installed) at the given
// size and weight, or the toolkit's default font when the entry names no size.
QFont designFont(const layout::Font& font);

} // namespace kelvane
