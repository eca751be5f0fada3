#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTemporaryDir>

#include <vector>

class QWidget;

namespace kelvane::test {

// The caption a control shows: a label's or button's text, a frame's title, a text box's text.
QString captionOf(const QWidget* control);

QByteArray readBytes(const QString& path);
void writeBytes(const QString& path, const QByteArray& bytes);

// A fresh temporary folder that the program takes for its own folder while this lives.
class ProgramFolder {
public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }

private:
    QTemporaryDir m_dir;
};

// The test classes that main() runs, each registered by KELVANE_GUI_TEST in its own file.
using TestFactory = QObject* (*)();
std::vector<TestFactory>& registeredTests();
bool registerTest(TestFactory factory);

#define KELVANE_GUI_TEST(Class)                                                                    \
    [[maybe_unused]] const bool registered##Class =                                                \
        ::kelvane::test::registerTest([]() -> QObject* { return new Class; })

} // namespace kelvane::test
