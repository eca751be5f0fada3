// SPDX-License-Identifier: MIT
#include "window/FormBuilder.h"

#include "controls/vFrame.h"
#include "window/ClickableLabel.h"
#include "window/DirListBox.h"
#include "window/DriveListBox.h"
#include "window/FileListBox.h"

#include <QApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <vector>

namespace kelvane {

using layout::Align;
using layout::ControlDesign;
using layout::Kind;

namespace {

Qt::Alignment horizontal(Align align) {
    switch (align) {
    case Align::Centre:
        return Qt::AlignHCenter;
    case Align::Right:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

void setColour(QWidget& widget, QPalette::ColorRole role, QRgb colour) {
    if (colour == 0) {
        return;
    }
    QPalette colours = widget.palette();
    colours.setColor(role, QColor(colour));
    widget.setPalette(colours);
}

// The colours the legacy look was drawn with: the style's own light palette.
QPalette legacyPalette() {
    return QApplication::style()->standardPalette();
}

// Gives `control` the legacy colours of `roles` in every state.
void setLegacyColours(QWidget& control, std::initializer_list<QPalette::ColorRole> roles) {
    const QPalette legacy = legacyPalette();
    QPalette colours = control.palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (const QPalette::ColorRole role : roles) {
            colours.setColor(group, role, legacy.color(group, role));
        }
    }
    control.setPalette(colours);
}

// A control whose look fixes one colour keeps the legacy partner of that colour as well, so
// that the look is the same on every desktop palette, light or dark: a box with a fixed ground
// keeps its dark text and its selection colours; a caption with a fixed colour keeps the light
// ground it was drawn on (a link paints it, a mode button keeps its legacy face). Controls
// without a colour of their own follow the desktop.
void keepPartnerColours(const ControlDesign& row, QWidget& control) {
    const bool fore = row.look.fore != 0 || row.look.link;
    const bool back = row.look.back != 0;
    if (row.kind == Kind::TextBox && back && !fore) {
        setLegacyColours(control, {QPalette::Text, QPalette::PlaceholderText, QPalette::Highlight,
                                   QPalette::HighlightedText});
        return;
    }
    if (row.kind != Kind::Label || !fore || back) {
        return;
    }
    auto& label = static_cast<ClickableLabel&>(control);
    auto* button = qobject_cast<vFrame*>(label.parentWidget());
    if (button != nullptr) {
        button->setPalette(legacyPalette());
        label.setLegacyGround(legacyPalette(), false);
    } else if (!label.parentWidget()->autoFillBackground()) {
        // A caption on a panel of its own colour (the header band) has both colours already.
        label.setLegacyGround(legacyPalette(), true);
    }
}

// Links take the focus too, so that the keyboard reaches them in their design order.
bool takesFocus(const ControlDesign& row) {
    switch (row.kind) {
    case Kind::ModeButton:
    case Kind::DriveList:
    case Kind::DirList:
    case Kind::FileList:
    case Kind::CommandButton:
    case Kind::TextBox:
    case Kind::ListBox:
        return true;
    case Kind::Label:
        return row.look.link;
    default:
        return false;
    }
}

QWidget* createLabel(const ControlDesign& row, QWidget* parent) {
    auto* label = new ClickableLabel(parent);
    label->setText(QString::fromUtf8(row.caption));
    label->setAlignment(horizontal(row.look.align) | Qt::AlignTop);
    if (row.look.border) {
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
        label->setContentsMargins(2, 1, 2, 1);
    }
    return label;
}

QWidget* createPicture(QWidget* parent) {
    auto* picture = new QFrame(parent);
    picture->setFrameStyle(QFrame::NoFrame);
    picture->setAutoFillBackground(true);
    return picture;
}

QWidget* createButton(const ControlDesign& row, QWidget* parent) {
    auto* button = new QPushButton(QString::fromUtf8(row.caption), parent);
    button->setAutoDefault(row.look.defaultButton);
    button->setDefault(row.look.defaultButton);
    return button;
}

} // namespace

QFont designFont(const layout::Font& font) {
    QFont result = QApplication::font();
    if (font.points <= 0) {
        // Set every attribute explicitly, so that the control does not take its container's font.
        result.setFamilies(result.families().isEmpty() ? QStringList{result.family()}
                                                       : result.families());
        result.setPointSizeF(result.pointSizeF());
        result.setWeight(result.weight());
        return result;
    }
    result.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"),
                        QStringLiteral("Bitstream Vera Sans"), QStringLiteral("Tahoma")});
    result.setStyleHint(QFont::SansSerif);
    result.setPointSizeF(font.points);
    result.setWeight(font.bold ? QFont::Bold : QFont::Normal);
    return result;
}

FormBuilder::FormBuilder(QWidget& form) : m_form(form) {}

int FormBuilder::pixels(double twips) {
    return static_cast<int>(std::lround(twips / layout::kTwipsPerPixel));
}

QHash<QString, QWidget*> FormBuilder::build(const layout::FormDesign& design) {
    m_form.setObjectName(QString::fromUtf8(design.name));
    m_form.setWindowTitle(QString::fromUtf8(design.caption));
    m_form.resize(pixels(design.clientWidth), pixels(design.clientHeight));

    QHash<QString, QWidget*> controls;
    std::vector<std::pair<int, QWidget*>> focusOrder;
    for (const ControlDesign& row : design.controls) {
        const QString parentName = QString::fromUtf8(row.parent);
        QWidget* parent = parentName == m_form.objectName() ? &m_form : controls.value(parentName);
        Q_ASSERT_X(parent != nullptr, "FormBuilder", row.name);
        QWidget* control = create(row, parent);
        controls.insert(control->objectName(), control);
        if (takesFocus(row) && row.tab >= 0) {
            focusOrder.emplace_back(row.tab, control);
        }
    }
    std::stable_sort(focusOrder.begin(), focusOrder.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < focusOrder.size(); ++i) {
        QWidget::setTabOrder(focusOrder[i - 1].second, focusOrder[i].second);
    }
    if (!focusOrder.empty()) {
        focusOrder.front().second->setFocus(); // the form opens with the first control focused
    }
    return controls;
}

QWidget* FormBuilder::create(const ControlDesign& row, QWidget* parent) const {
    QWidget* control = nullptr;
    switch (row.kind) {
    case Kind::Picture:
        control = createPicture(parent);
        break;
    case Kind::Label:
        control = createLabel(row, parent);
        break;
    case Kind::ModeButton:
        control = new vFrame(parent);
        break;
    case Kind::Frame:
        control = new QGroupBox(QString::fromUtf8(row.caption), parent);
        break;
    case Kind::DriveList:
        control = new DriveListBox(parent);
        break;
    case Kind::DirList:
        control = new DirListBox(parent);
        break;
    case Kind::FileList:
        control = new FileListBox(parent);
        break;
    case Kind::CommandButton:
        control = createButton(row, parent);
        break;
    case Kind::TextBox:
        control = new QLineEdit(QString::fromUtf8(row.caption), parent);
        break;
    case Kind::ListBox:
        control = new QListWidget(parent);
        break;
    }
    control->setObjectName(QString::fromUtf8(row.name));
    control->setProperty("TabIndex", row.tab);
    control->setGeometry(pixels(row.rect.left), pixels(row.rect.top), pixels(row.rect.width),
                         pixels(row.rect.height));
    control->setFont(designFont(row.font));
    if (row.look.link) {
        static_cast<ClickableLabel*>(control)->setLinkLook();
    }
    setColour(*control, row.kind == Kind::TextBox ? QPalette::Text : QPalette::WindowText,
              row.look.fore);
    setColour(*control, row.kind == Kind::TextBox ? QPalette::Base : QPalette::Window,
              row.look.back);
    keepPartnerColours(row, *control);
    if (row.look.hidden) {
        control->setVisible(false);
    }
    return control;
}

} // namespace kelvane
