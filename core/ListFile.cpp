// SPDX-License-Identifier: MIT
#include "core/ListFile.h"

#include "engine/AtomicOutput.h"
#include "engine/Charset.h"
#include "engine/EngineError.h"
#include "engine/FileName.h"

#include <QFile>
#include <QStringDecoder>

namespace kelvane {

namespace {

QString fromWindows1252(const QByteArray& bytes) {
    std::u32string text;
    text.reserve(static_cast<std::size_t>(bytes.size()));
    for (const char byte : bytes) {
        text += charForCode(static_cast<unsigned char>(byte));
    }
    return QString::fromStdU32String(text);
}

} // namespace

ListFileStatus writeListFile(const QString& path, const QStringList& items) {
    QByteArray content;
    for (const QString& item : items) {
        if (item.contains(QLatin1Char('\n')) || item.contains(QLatin1Char('\r'))) {
            return ListFileStatus::failed(QStringLiteral("an item holds a line break"));
        }
        // The list is text: a file name with bytes that are not text would come back as
        // another name.
        if (!isTextName(item)) {
            return ListFileStatus::failed(QStringLiteral("an item holds a file name that is not "
                                                         "valid text"));
        }
        content += item.toUtf8();
        content += '\n';
    }
    // The list is the program's own file: it is replaced (a link in its place too, which is
    // never written through), and a failed write or flush leaves the old list whole.
    try {
        AtomicOutput file(path, Replace::Existing, 0666);
        file.write(reinterpret_cast<const std::uint8_t*>(content.constData()),
                   static_cast<std::size_t>(content.size()));
        file.commit();
    } catch (const EngineError& error) {
        return ListFileStatus::failed(error.message());
    }
    return {};
}

ListFileStatus readListFile(const QString& path, QStringList& items) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return ListFileStatus::failed(file.errorString());
    }
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return ListFileStatus::failed(file.errorString());
    }
    // No list, in any code page, holds a NUL byte: such a file is something else.
    if (content.contains('\0')) {
        return ListFileStatus::failed(QStringLiteral("the file is not a text file"));
    }
    QStringDecoder decode(QStringDecoder::Utf8);
    QString text = decode(content);
    if (decode.hasError()) {
        // Lists written by the legacy program are in its Windows code page.
        text = fromWindows1252(content);
    }
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.last().isEmpty()) {
        lines.removeLast(); // the line end of the last item, or an empty file
    }
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
    }
    items += lines;
    return {};
}

} // namespace kelvane
