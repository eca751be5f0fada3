// SPDX-License-Identifier: MIT
#include "app/DesktopIdentity.h"

#include <QApplication>
#include <QDirIterator>

namespace kelvane {

const QString DesktopIdentity::kId = QStringLiteral("org.kelvane.Kelvane");

namespace {

// Every size built in, from the resource folder ":/icons/<size>x<size>/apps".
QIcon builtInIcon() {
    QIcon icon;
    QDirIterator it(QStringLiteral(":/icons"), {DesktopIdentity::kId + QStringLiteral(".png")},
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        icon.addFile(it.next());
    }
    return icon;
}

} // namespace

QIcon DesktopIdentity::icon() {
    return QIcon::fromTheme(kId, builtInIcon());
}

void DesktopIdentity::apply() {
    QGuiApplication::setDesktopFileName(kId);
    QApplication::setWindowIcon(icon());
}

} // namespace kelvane
