// SPDX-License-Identifier: MIT
#include "window/FileDrop.h"

#include "platform/MsgBox.h"
#include "window/FileListBox.h"
#include "window/OpenPath.h"
#include "window/frmMain.h"

#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace kelvane {

namespace {

QStringList localFiles(const QMimeData* data) {
    QStringList paths;
    if (data != nullptr && data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile()) {
                paths.append(url.toLocalFile());
            }
        }
    }
    return paths;
}

// Takes the drop as a copy; false when the source offers no copy, or while a run holds the file
// list off (a drop selects a file as a click in the list does).
bool acceptAsCopy(QDropEvent& event, const QWidget& fileList) {
    if (!(event.possibleActions() & Qt::CopyAction) || !fileList.isEnabled()) {
        event.ignore();
        return false;
    }
    event.setDropAction(Qt::CopyAction);
    event.accept();
    return true;
}

} // namespace

FileDrop::FileDrop(frmMain& window) : QObject(&window), m_window(window) {
    window.setAcceptDrops(true);
    window.installEventFilter(this);
    window.controls().txtPassword->installEventFilter(this);
    window.controls().txtPassword1->installEventFilter(this);
}

bool FileDrop::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
        return QObject::eventFilter(watched, event);
    }
    auto& drop = static_cast<QDropEvent&>(*event);
    const QStringList paths = localFiles(drop.mimeData());
    if (paths.isEmpty()) {
        return QObject::eventFilter(watched, event); // text for a password box, or nothing
    }
    if (acceptAsCopy(drop, *m_window.controls().File1) && type == QEvent::Drop) {
        // Not while the program the file came from waits for the drop to end.
        QMetaObject::invokeMethod(
            this, [this, paths] { open(paths); }, Qt::QueuedConnection);
    }
    return true;
}

void FileDrop::open(const QStringList& paths) {
    if (paths.size() > 1) {
        MsgBox(QStringLiteral("Please drop one file at a time."), vbInformation,
               QStringLiteral("Error"));
        return;
    }
    openPath(m_window, paths.first());
}

} // namespace kelvane
