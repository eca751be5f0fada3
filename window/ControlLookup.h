// SPDX-License-Identifier: MIT
#pragma once

#include <QHash>
#include <QString>
#include <QWidget>

namespace kelvane {

// Hands out the controls a FormBuilder made, each as its own type.
class ControlLookup {
public:
    explicit ControlLookup(QHash<QString, QWidget*> controls) : m_controls(std::move(controls)) {}

    template <typename T> void bind(T*& member, const char* name) const {
        member = qobject_cast<T*>(m_controls.value(QString::fromUtf8(name)));
        Q_ASSERT_X(member != nullptr, "ControlLookup", name);
    }

private:
    QHash<QString, QWidget*> m_controls;
};

} // namespace kelvane
