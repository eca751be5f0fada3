// SPDX-License-Identifier: MIT
#include "window/BookmarkListFile.h"

#include "engine/AtomicOutput.h"
#include "platform/MsgBox.h"
#include "platform/Runtime.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QListWidget>
#include <QTimer>

namespace kelvane {

namespace {

const QString kTitle = QStringLiteral("Bookmarked Files");
// A change of the file is read after this pause, so that a burst of changes is read once.
constexpr int kReloadDelayMs = 50;

// Built anew for each load and save: the program's folder decides.
BookmarkStore currentStore() {
    return BookmarkStore::forProgramIn(ProgramFolder());
}

QStringList itemsOf(const QListWidget& list) {
    QStringList items;
    items.reserve(list.count());
    for (int i = 0; i < list.count(); ++i) {
        items.append(list.item(i)->text());
    }
    return items;
}

} // namespace

BookmarkListFile::BookmarkListFile(QListWidget& List1, QObject* parent)
    : QObject(parent), m_list(List1), m_store(currentStore()),
      m_watcher(new QFileSystemWatcher(this)), m_reloadSoon(new QTimer(this)) {
    m_reloadSoon->setSingleShot(true);
    m_reloadSoon->setInterval(kReloadDelayMs);
    connect(m_reloadSoon, &QTimer::timeout, this, &BookmarkListFile::reload);
    const auto soon = [this] { m_reloadSoon->start(); };
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, soon);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, soon);
}

QString BookmarkListFile::BookmarkListPath() const {
    return currentStore().path();
}

bool BookmarkListFile::SaveBookmarks() {
    if (m_unreadableInPlace) {
        return false;
    }
    m_store = currentStore();
    try {
        m_store.replace(itemsOf(m_list));
    } catch (const BookmarkStoreError&) {
        return false;
    }
    return true;
}

void BookmarkListFile::LoadBookmarks() {
    m_store = currentStore();
    const QString path = m_store.readPath();
    try {
        show(m_store.read());
    } catch (const BookmarkStoreError& error) {
        if (path == m_store.path()) {
            setAsideUnreadable(path, error.reason());
        } else {
            // The starting list beside an installed program: saves never touch it.
            MsgBox(QStringLiteral("The bookmark list %1 could not be read (%2). It is left as it "
                                  "is, and the list starts empty.")
                       .arg(QDir::toNativeSeparators(path), error.reason()),
                   vbExclamation, kTitle);
        }
    }
    watch();
}

// The folders are watched as well as the file: a save puts a new file in the old one's place,
// and the list may not exist yet.
void BookmarkListFile::watch() {
    const QStringList watched = m_watcher->files() + m_watcher->directories();
    if (!watched.isEmpty()) {
        m_watcher->removePaths(watched);
    }
    QStringList paths;
    for (const QString& file : {m_store.path(), m_store.savedFile(), m_store.readPath()}) {
        if (file.isEmpty()) {
            continue;
        }
        const QString folder = QFileInfo(file).absolutePath();
        for (const QString& path : {file, folder}) {
            if (QFileInfo::exists(path) && !paths.contains(path)) {
                paths.append(path);
            }
        }
    }
    if (!paths.isEmpty()) {
        m_watcher->addPaths(paths);
    }
}

void BookmarkListFile::reload() {
    if (!m_list.isEnabled()) {
        // The list holds still while a batch, which holds it off, works through it.
        m_reloadSoon->start();
        return;
    }
    m_store = currentStore();
    try {
        show(m_store.read());
    } catch (const BookmarkStoreError&) {
        // Reported when the list is next changed; the list box keeps what it shows.
    }
    watch();
}

void BookmarkListFile::show(const QStringList& entries) {
    if (itemsOf(m_list) == entries) {
        return;
    }
    const QListWidgetItem* current = m_list.currentItem();
    const QString selected =
        current != nullptr && current->isSelected() ? current->text() : QString();
    m_list.clear();
    m_list.addItems(entries);
    if (!selected.isEmpty()) {
        m_list.setCurrentRow(static_cast<int>(entries.indexOf(selected)));
    }
}

BookmarkListFile::Edit BookmarkListFile::edit(const std::function<bool(QListWidget& list)>& change,
                                              const QString& done) {
    m_store = currentStore();
    const auto notSaved = [&] {
        const QString path = m_store.path();
        const QString where = path.isEmpty()
                                  ? QStringLiteral(": ") + BookmarkListLocation::kNoHomeFolder
                                  : QStringLiteral(" to ") + QDir::toNativeSeparators(path);
        MsgBox(QStringLiteral("%1, but the bookmark list could not be saved%2. The list on disk is "
                              "unchanged.")
                   .arg(done, where),
               vbExclamation, kTitle);
        return Edit::NotSaved;
    };
    if (m_unreadableInPlace) {
        // The unreadable list stays where it is: the change shows in the window only.
        return change(m_list) ? notSaved() : Edit::Unchanged;
    }
    bool ran = false;
    bool saving = false;
    try {
        m_store.update([&](QStringList& entries) {
            show(entries);
            ran = true;
            if (!change(m_list)) {
                return false;
            }
            entries = itemsOf(m_list);
            saving = true;
            return true;
        });
    } catch (const BookmarkStoreError& error) {
        const QString shown = QDir::toNativeSeparators(error.path());
        if (error.kind() == BookmarkStoreError::Kind::Busy) {
            MsgBox(QStringLiteral("The bookmark list %1 could not be changed: %2. Nothing was "
                                  "changed; please try again.")
                       .arg(shown, error.reason()),
                   vbExclamation, kTitle);
        } else if (error.kind() == BookmarkStoreError::Kind::Read) {
            MsgBox(QStringLiteral("The bookmark list %1 could not be read (%2). Nothing was "
                                  "changed.")
                       .arg(shown, error.reason()),
                   vbExclamation, kTitle);
        } else {
            // As it always was: the change shows in the window, and the user is told that the
            // list on disk does not hold it.
            if (!ran) {
                saving = change(m_list);
            }
            if (saving) {
                notSaved();
            }
        }
        watch();
        return Edit::NotSaved;
    }
    watch();
    return saving ? Edit::Saved : Edit::Unchanged;
}

void BookmarkListFile::setAsideUnreadable(const QString& path, const QString& reason) {
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path + QStringLiteral(".unreadable-") + stamp;
    for (int n = 2; QFile::exists(aside); ++n) {
        aside =
            path + QStringLiteral(".unreadable-") + stamp + QLatin1Char('-') + QString::number(n);
    }
    const QString shown = QDir::toNativeSeparators(path);
    if (renameWithoutReplacing(path, aside)) {
        MsgBox(QStringLiteral("The bookmark list %1 could not be read (%2). It has been kept as %3 "
                              "and the list starts empty.")
                   .arg(shown, reason, QDir::toNativeSeparators(aside)),
               vbExclamation, kTitle);
        return;
    }
    m_unreadableInPlace = true;
    MsgBox(QStringLiteral("The bookmark list %1 could not be read (%2). It is left as it is, and "
                          "changes to the list will not be saved while it is there.")
               .arg(shown, reason),
           vbExclamation, kTitle);
}

} // namespace kelvane
