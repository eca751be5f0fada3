#include "TestData.h"

#include <QFile>

#include <stdexcept>

namespace kelvane::test {

std::vector<QStringList> readTable(const QString& name) {
    QFile file(QStringLiteral(KELVANE_TEST_DATA "/") + name);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        throw std::runtime_error("missing test data: " + name.toStdString());
    }
    std::vector<QStringList> rows;
    while (!file.atEnd()) {
        QString line = QString::fromUtf8(file.readLine());
        while (line.endsWith(u'\n') || line.endsWith(u'\r')) {
            line.chop(1);
        }
        if (!line.isEmpty() && !line.startsWith(u'#')) {
            rows.push_back(line.split(u'\t'));
        }
    }
    return rows;
}

QByteArray fromHex(const QString& hex) { return QByteArray::fromHex(hex.toLatin1()); }

} // namespace kelvane::test
