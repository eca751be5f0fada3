#pragma once

// A shown main window with the single-file commands, browsing a fresh temporary folder, and the
// steps a user takes in it.

#include "TestSupport.h"

#include "Charset.h"
#include "Cipher.h"
#include "ClickableLabel.h"
#include "DirListBox.h"
#include "DriveListBox.h"
#include "FileListBox.h"
#include "MsgBox.h"
#include "SingleFileCommands.h"
#include "frmFileName.h"
#include "frmMain.h"
#include "vFrame.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>
#include <span>

namespace kelvane::test::singlefile {

class SingleFileWindow {
public:
    SingleFileWindow() {
        MessageBoxes::clear();
        attachSingleFileCommands(window);
        window.Form_Load();
        window.show();
        browse(m_dir.path());
    }

    const MainControls& c() const { return window.controls(); }
    QString folder() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

    // Writes a file under the temporary folder, making its folder, and re-reads the lists.
    void write(const QString& name, const QByteArray& bytes) {
        QDir(m_dir.path()).mkpath(QFileInfo(file(name)).path());
        writeBytes(file(name), bytes);
        window.lblRefresh_Click();
    }

    void browse(const QString& path) { QVERIFY(c().Dir1->setPath(path)); }

    QStringList listedFiles() const {
        QStringList names;
        for (int i = 0; i < c().File1->ListCount(); ++i) {
            names.append(c().File1->List(i));
        }
        return names;
    }

    void clickFile(const QString& name) {
        const auto found = c().File1->findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
        QVERIFY2(found.size() == 1, qPrintable(name));
        const QRect place = c().File1->visualItemRect(found.first());
        QTest::mouseClick(c().File1->viewport(), Qt::LeftButton, {}, place.center());
    }

    // Characters beyond Latin-1 cannot be typed as keys here; they come in as a paste.
    void typePassword(const QString& password) {
        c().txtPassword->clear();
        if (password.toLatin1() == password.toUtf8()) {
            QTest::keyClicks(c().txtPassword, password);
        } else {
            c().txtPassword->insert(password);
        }
    }

    void apply() { QTest::mouseClick(c().cmdApply, Qt::LeftButton); }

    // Opens the file name dialog with its button and runs `act` on it while it is open; a
    // dialog that `act` leaves open is cancelled. False when no dialog opened.
    bool withDialog(const std::function<void(frmFileName&)>& act) {
        bool opened = false;
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = qobject_cast<frmFileName*>(QApplication::activeModalWidget());
            if (dialog != nullptr && dialog->isVisible()) {
                poll.stop();
                opened = true;
                act(*dialog);
                if (dialog->isVisible()) {
                    dialog->reject();
                }
            }
        });
        poll.start();
        QTest::mouseClick(c().cmdChangeOutputFilename, Qt::LeftButton);
        return opened;
    }

    static void typeName(frmFileName& dialog, const QString& name) {
        dialog.controls().Text1->clear();
        QTest::keyClicks(dialog.controls().Text1, name);
    }

    void renameOutput(const QString& name) {
        QVERIFY(withDialog([&](frmFileName& dialog) {
            typeName(dialog, name);
            QTest::mouseClick(dialog.controls().cmdOk, Qt::LeftButton);
        }));
    }

    // Nothing left of a run: inputs and held-off controls enabled, "Please Wait..." hidden and
    // still, and the window may close.
    bool ready() const {
        const MainControls& k = c();
        for (const QWidget* control : std::initializer_list<const QWidget*>{
                 k.cmdApply, k.cmdChangeOutputFilename, k.txtPassword, k.File1, k.Dir1, k.Drive1,
                 k.vButton[0], k.vButton[1], k.vButton[2], k.lblLockFile[0], k.lblLockFile[1],
                 k.lblLockFile[2], k.List1, k.txtPassword1, k.cmdLockMultipleFiles}) {
            if (!control->isEnabled()) {
                return false;
            }
        }
        return !k.tmrPleaseWait->isActive() && k.lblPleaseWait->isHidden() && !window.isBusy();
    }

    ProgramFolder program;
    frmMain window;

private:
    QTemporaryDir m_dir;
};

// The boxes shown so far as "title|style|prompt".
inline QStringList shownBoxes() {
    QStringList boxes;
    for (const auto& box : MessageBoxes::shown()) {
        boxes.append(box.title + '|' + QString::number(box.style) + '|' + box.prompt);
    }
    return boxes;
}

// `content` locked (or unlocked) with `password`, computed in memory on a fresh generator.
inline QByteArray transformed(QByteArray content, const QString& password) {
    RandomSource source;
    RndCryptBuffer(std::span(reinterpret_cast<std::uint8_t*>(content.data()),
                             static_cast<std::size_t>(content.size())),
                   passwordCodes(password), {}, source);
    return content;
}

inline QByteArray sampleBytes(int size) {
    QByteArray bytes(size, '\0');
    std::uint32_t state = 12345;
    for (char& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}

} // namespace kelvane::test::singlefile
