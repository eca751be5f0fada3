#pragma once

#include "EngineError.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace kelvane::test {

// A test with its own temporary folder and small helpers to write, read and list files in it.
class FileFixture : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }

    QString write(const QString& name, const QByteArray& content) {
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    }

    static QByteArray read(const QString& file) {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QStringList entries() const {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }

    // The kind of EngineError that `call` throws, or nothing when it succeeds.
    static std::optional<EngineError::Kind> failureOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const EngineError& error) {
            return error.kind();
        }
        return std::nullopt;
    }

    QTemporaryDir dir;
};

// Reproducible bytes of any length.
inline QByteArray randomBytes(qsizetype size) {
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator generator(static_cast<quint32>(size) + 11);
    for (char& c : data) {
        c = static_cast<char>(generator.generate());
    }
    return data;
}

} // namespace kelvane::test
