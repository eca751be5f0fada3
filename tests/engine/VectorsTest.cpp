#include "Charset.h"
#include "Cipher.h"
#include "TestData.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

#include <vector>

using namespace kelvane;
using kelvane::test::fromHex;
using kelvane::test::readTable;

namespace {

std::span<std::uint8_t> bytes(QByteArray& data) {
    return {reinterpret_cast<std::uint8_t*>(data.data()), static_cast<std::size_t>(data.size())};
}

TEST(LockVectors, EveryRow) {
    const auto rows = readTable(QStringLiteral("lock.tsv"));
    ASSERT_GE(rows.size(), 40u);
    for (const QStringList& row : rows) {
        ASSERT_EQ(row.size(), 5) << row.join(u' ').toStdString();
        const QByteArray codes = fromHex(row[0]);
        SCOPED_TRACE("password " + row[0].toStdString());
        if (!row[1].isEmpty()) {
            EXPECT_EQ(passwordCodes(row[1]), codes);
        }
        RandomSource source;
        EXPECT_EQ(PasswordSeed(codes, source), row[2].toInt());

        QByteArray content = fromHex(row[3]);
        RndCryptBuffer(bytes(content), codes, {}, source);
        EXPECT_EQ(content.toHex(), row[4].toLatin1());
        RndCryptBuffer(bytes(content), codes, {}, source);
        EXPECT_EQ(content.toHex(), row[3].toLatin1());
    }
}

// Long streams run past the generator's period; the hash covers every keystream byte.
TEST(LockVectors, LongStreams) {
    const auto rows = readTable(QStringLiteral("long.tsv"));
    ASSERT_FALSE(rows.empty());
    for (const QStringList& row : rows) {
        QByteArray content(row[1].toLongLong(), '\0');
        RandomSource source;
        RndCryptBuffer(bytes(content), fromHex(row[0]), {}, source);
        EXPECT_EQ(QCryptographicHash::hash(content, QCryptographicHash::Sha256).toHex(),
                  row[2].toLatin1())
            << row[0].toStdString() << " " << row[1].toStdString();
    }
}

} // namespace
