#pragma once

// A shown main window with all its commands, on a program folder and a data folder of its own,
// and the steps a user takes in it.

#include "TestSupport.h"

#include "Charset.h"
#include "Cipher.h"
#include "CommandSets.h"
#include "MsgBox.h"

#include <QDirIterator>
#include <QListWidget>
#include <QMap>
#include <QTest>

#include <memory>

namespace kelvane::test {

using Files = QMap<QString, QByteArray>;

class CommandWindow {
public:
    CommandWindow() { restart(); }

    // Starts the program (again) on the same folders, browsing the data folder.
    void restart() {
        MessageBoxes::clear();
        window.reset();
        window = std::make_unique<frmMain>();
        attachCommandSets(*window);
        window->Form_Load();
        window->show();
        browse(data.path());
    }

    const MainControls& c() const { return window->controls(); }
    QString file(const QString& name) const { return data.filePath(name); }
    QString listFile() const { return program.file("bookmarked.txt"); }
    QStringList items() const { return itemTexts(*c().List1); }
    void browse(const QString& path) { QVERIFY(c().Dir1->setPath(path)); }
    // Makes the window the active one, as the desktop does, so that its keys work.
    void activate() {
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }
    void click(QWidget* control) { QTest::mouseClick(control, Qt::LeftButton); }
    void mode(int index) { click(c().lblLockFile[index]); }

    // Writes a file under the data folder, making its folder, and re-reads the lists.
    void write(const QString& name, const QByteArray& bytes) {
        QDir(data.path()).mkpath(QFileInfo(file(name)).path());
        writeBytes(file(name), bytes);
        window->lblRefresh_Click();
    }

    // Everything under the data folder, by relative path, with its bytes.
    Files files() const {
        Files files;
        QDirIterator it(data.path(),
                        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            files[QDir(data.path()).relativeFilePath(path)] = readBytes(path);
        }
        return files;
    }

    void clickFile(const QString& name) {
        const auto found = c().File1->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
        QVERIFY2(found.size() == 1, qPrintable(name));
        const QRect place = c().File1->visualItemRect(found.first());
        QTest::mouseClick(c().File1->viewport(), Qt::LeftButton, {}, place.center());
    }

    // Types over the box's text (pasting what the test keyboard lacks).
    static void type(QLineEdit* box, const QString& text) {
        box->clear();
        box->insert(text);
    }

    // The names of the controls that a run holds off whose enabled state is `enabled`.
    QStringList heldControls(bool enabled) const {
        const MainControls& k = c();
        QList<QWidget*> held;
        held << k.cmdApply << k.cmdChangeOutputFilename << k.txtPassword << k.File1 << k.Dir1
             << k.Drive1 << k.List1 << k.txtPassword1 << k.cmdLockMultipleFiles
             << k.cmdAddToAutomated << k.lblRemoveSelectedItem << k.Label2;
        for (int i = 0; i < 3; ++i) {
            held << k.vButton[i] << k.lblLockFile[i];
        }
        QStringList names;
        for (const QWidget* control : held) {
            if (control->isEnabled() == enabled) {
                names.append(control->objectName());
            }
        }
        return names;
    }

    // Nothing left of a run: every control enabled, "Please Wait..." hidden and still, and the
    // window may close.
    bool ready() const {
        return heldControls(false).isEmpty() && !c().tmrPleaseWait->isActive() &&
               c().lblPleaseWait->isHidden() && !window->isBusy();
    }

    ProgramFolder program;
    QTemporaryDir data;
    std::unique_ptr<frmMain> window;
};

// `content` locked (or unlocked) with `password`, computed in memory on a fresh generator.
inline QByteArray transformed(QByteArray content, const QString& password) {
    RandomSource source;
    RndCryptBuffer({reinterpret_cast<std::uint8_t*>(content.data()), std::size_t(content.size())},
                   passwordCodes(password), {}, source);
    return content;
}

inline QByteArray listBytes(const QStringList& entries) {
    return entries.isEmpty() ? QByteArray() : entries.join('\n').toUtf8() + '\n';
}

} // namespace kelvane::test
