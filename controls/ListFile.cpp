#include "ListFile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

namespace kelvane {

ListFileStatus writeListFile(const QString& path, const QStringList& items) {
    QByteArray content;
    for (const QString& item : items) {
        if (item.contains(QLatin1Char('\n')) || item.contains(QLatin1Char('\r'))) {
            return ListFileStatus::failed(QStringLiteral("an item holds a line break"));
        }
        content += item.toUtf8();
        content += '\n';
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return ListFileStatus::failed(file.errorString());
    }
    if (file.write(content) != content.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return ListFileStatus::failed(reason);
    }
    if (!file.commit()) {
        return ListFileStatus::failed(file.errorString());
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
    QStringDecoder decode(QStringDecoder::Utf8);
    const QString text = decode(content);
    if (decode.hasError()) {
        return ListFileStatus::failed(QStringLiteral("the file is not UTF-8 text"));
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
