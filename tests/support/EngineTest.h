// SPDX-License-Identifier: MIT
#pragma once

#include "engine/Charset.h"
#include "engine/Cipher.h"
#include "engine/EngineError.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <optional>

namespace kelvane::test {

using Kind = EngineError::Kind;
constexpr int kMiB = 1024 * 1024;

// A test with its own temporary folder, and helpers to write, read and list files in it. Names
// are taken in that folder; absolute paths as they are.
class FileFixture : public ::testing::Test {
protected:
    QString path(const QString& name) const { return QDir(dir.path()).filePath(name); }

    // Writes `content` to `name`, making its folder; returns the full path.
    QString write(const QString& name, const QByteArray& content) {
        QDir().mkpath(QFileInfo(path(name)).path());
        QFile file(path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        return file.fileName();
    }

    QByteArray read(const QString& name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // Every entry of the folder `name`, this one by default.
    QStringList entries(const QString& name = ".") const {
        return QDir(path(name))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    // Every entry of the folder, by name, as its kind, its mode and what can be compared of it
    // without following a link or opening a pipe: "file 644 <bytes>", "link 777 <target>", ...
    QMap<QString, QByteArray> state() const {
        QMap<QString, QByteArray> now;
        for (const QString& name : entries()) {
            struct stat s {};
            ::lstat(QFile::encodeName(path(name)).constData(), &s);
            const QByteArray mode = ' ' + QByteArray::number(s.st_mode & 07777, 8) + ' ';
            now[name] = S_ISREG(s.st_mode) ? "file" + mode + read(name)
                        : S_ISLNK(s.st_mode)
                            ? "link" + mode + QFile::encodeName(QFile::symLinkTarget(path(name)))
                            : "other" + mode;
        }
        return now;
    }

    QTemporaryDir dir;
};

// The EngineError that `call` throws, or nothing when it succeeds; and the error's kind alone.
inline std::optional<EngineError> errorOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const EngineError& error) {
        return error;
    }
    return std::nullopt;
}
inline std::optional<Kind> failureOf(const std::function<void()>& call) {
    const auto error = errorOf(call);
    return error ? std::optional(error->kind()) : std::nullopt;
}

// Reproducible bytes of any length.
inline QByteArray randomBytes(qsizetype size) {
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator(static_cast<quint32>(size) + 11).generate(data.begin(), data.end());
    return data;
}

inline std::span<std::uint8_t> bytes(QByteArray& data) {
    return {reinterpret_cast<std::uint8_t*>(data.data()), static_cast<std::size_t>(data.size())};
}

// `content` locked or unlocked with `password` by the engine's buffer transform, which the
// known-answer vectors hold to.
inline QByteArray transformed(QByteArray content, const QString& password) {
    RndCryptBuffer(bytes(content), passwordCodes(password));
    return content;
}

} // namespace kelvane::test
