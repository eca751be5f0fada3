#pragma once

#include "ClickableLabel.h"
#include "DirListBox.h"
#include "DriveListBox.h"
#include "FileListBox.h"
#include "MsgBox.h"
#include "Runtime.h"
#include "frmMain.h"
#include "vFrame.h"

#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <vector>

namespace kelvane::test {

// The caption a control shows: a label's or button's text, a frame's title, a text box's text.
inline QString captionOf(const QWidget* control) {
    const QVariant text = control->property("text");
    return text.isValid() ? text.toString() : control->property("title").toString();
}

inline QStringList itemTexts(const QListWidget& list) {
    QStringList items;
    for (int i = 0; i < list.count(); ++i) {
        items.append(list.item(i)->text());
    }
    return items;
}

// The message boxes shown so far, each as "title | style | prompt".
inline QStringList messagesShown() {
    QStringList boxes;
    for (const auto& box : MessageBoxes::shown()) {
        boxes.append(box.title + " | " + QString::number(box.style) + " | " + box.prompt);
    }
    return boxes;
}

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(file.write(bytes), bytes.size());
}

// A fresh temporary folder that the program takes for its own folder while this lives, and a
// fresh user's data folder (XDG_DATA_HOME) for the bookmark list of an installed program.
class ProgramFolder {
public:
    ProgramFolder() : m_dataHomeBefore(qgetenv("XDG_DATA_HOME")) {
        setProgramFolderForTesting(m_dir.path());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dataHome.path()));
    }
    ~ProgramFolder() {
        setProgramFolderForTesting(QString());
        qputenv("XDG_DATA_HOME", m_dataHomeBefore);
    }

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    // The bookmark list of an installed program, in the user's data folder.
    QString userListFile() const { return m_dataHome.filePath("Kelvane/bookmarked.txt"); }

private:
    QTemporaryDir m_dir;
    QTemporaryDir m_dataHome;
    QByteArray m_dataHomeBefore;
};

// The main window after start-up, in a fresh program folder.
struct StartedWindow {
    StartedWindow() { window.Form_Load(); }
    ProgramFolder program;
    frmMain window;
    MainControls& c = window.controls();
};

// The test classes that main() runs, by name, each registered by KELVANE_GUI_TEST in its own
// file. The build gives each class its own ctest entry by the same name.
using TestFactory = QObject* (*)();
inline QMap<QString, TestFactory>& registeredTests() {
    static QMap<QString, TestFactory> tests;
    return tests;
}
inline bool registerTest(const char* name, TestFactory factory) {
    registeredTests().insert(QString::fromLatin1(name), factory);
    return true;
}

#define KELVANE_GUI_TEST(Class)                                                                    \
    [[maybe_unused]] const bool registered##Class =                                                \
        ::kelvane::test::registerTest(#Class, []() -> QObject* { return new Class; })

} // namespace kelvane::test
