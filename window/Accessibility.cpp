// SPDX-License-Identifier: MIT
#include "window/Accessibility.h"

#include "controls/vFrame.h"
#include "window/ClickableLabel.h"
#include "window/DirListBox.h"
#include "window/DriveListBox.h"
#include "window/FileListBox.h"
#include "window/frmMain.h"

#include <QAccessibleWidget>
#include <QLineEdit>
#include <QListWidget>

namespace kelvane {

namespace {

const QString kPress = QAccessibleActionInterface::pressAction();

// A mode button: a page tab, selected when it is the current mode.
class ModeButtonAccessible : public QAccessibleWidget {
public:
    explicit ModeButtonAccessible(vFrame* button)
        : QAccessibleWidget(button, QAccessible::PageTab) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.selectable = true;
        state.selected = !button()->Collapsed();
        return state;
    }
    QStringList actionNames() const override { return {kPress}; }
    void doAction(const QString& action) override {
        if (action == kPress && button()->isEnabled()) {
            emit button()->ExpandCollapse();
        }
    }

private:
    vFrame* button() const { return static_cast<vFrame*>(widget()); }
};

// A caption label, named by its text; a link label is a link that can be pressed. The label may
// become a link after its interface is made, so the role is decided when it is asked for.
class LabelAccessible : public QAccessibleWidget {
public:
    explicit LabelAccessible(ClickableLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText) {}

    QAccessible::Role role() const override {
        return label()->isLink() ? QAccessible::Link : QAccessible::StaticText;
    }
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            return label()->text();
        }
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.linked = label()->isLink();
        state.readOnly = !label()->isLink();
        return state;
    }
    QStringList actionNames() const override {
        return label()->isLink() ? QStringList{kPress} : QStringList{};
    }
    void doAction(const QString& action) override {
        if (action == kPress && label()->isLink() && label()->isEnabled()) {
            emit label()->Click();
        }
    }

private:
    ClickableLabel* label() const { return static_cast<ClickableLabel*>(widget()); }
};

QAccessibleInterface* describe(const QString& className, QObject* object) {
    if (className == QLatin1String(vFrame::staticMetaObject.className())) {
        return new ModeButtonAccessible(static_cast<vFrame*>(object));
    }
    if (className == QLatin1String(ClickableLabel::staticMetaObject.className())) {
        return new LabelAccessible(static_cast<ClickableLabel*>(object));
    }
    return nullptr;
}

} // namespace

void installScreenReaderInterfaces() {
    static const bool installed = [] {
        QAccessible::installFactory(&describe);
        return true;
    }();
    Q_UNUSED(installed);
}

void describeForScreenReaders(frmMain& window) {
    const MainControls& c = window.controls();
    // A line edit is named by the label whose buddy it is, whatever that label reads now.
    c.lblFilePassword_Caption->setBuddy(c.txtPassword);
    c.Label4->setBuddy(c.txtPassword1);
    c.List1->setAccessibleName(c.Label3->text());
    c.Drive1->setAccessibleName(QStringLiteral("Drive"));
    c.Drive1->setAccessibleDescription(QStringLiteral("Drive"));
    c.Dir1->setAccessibleName(QStringLiteral("Folder"));
    c.File1->setAccessibleName(QStringLiteral("File"));
    for (int i = 0; i < 3; ++i) {
        c.vButton[i]->setAccessibleName(c.lblLockFile[i]->text());
    }
    c.lblFileFrom->setAccessibleDescription(QStringLiteral("Source file"));
    c.lblFileTo->setAccessibleDescription(QStringLiteral("New file"));
}

} // namespace kelvane
