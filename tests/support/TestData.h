#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace kelvane::test {

// The rows of a tab-separated file in the test data folder, comment lines left out. Every row
// keeps its empty fields.
std::vector<QStringList> readTable(const QString& name);

QByteArray fromHex(const QString& hex);

} // namespace kelvane::test
