#include "core/textfile.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace nox
{

QString decodeText(const QByteArray& bytes)
{
    QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF")) {
        view = view.sliced(3);
    }
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(view);
    if (!utf8.hasError()) {
        return text;
    }
    // Opening the converter is far dearer than decoding a small file.
    thread_local QStringDecoder cp932("CP932", QStringConverter::Flag::Stateless);
    if (cp932.isValid()) {
        cp932.resetState();
        return cp932.decode(view);
    }
    return text; // no CP932 table: keep the UTF-8 reading with replacement characters
}

QByteArray encodeText(const QString& text)
{
    return text.toUtf8();
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            continue;
        }
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') {
            ++i;
        }
        start = i + 1;
    }
    if (start < n) {
        lines.append(text.mid(start));
    }
    return lines;
}

TextReadResult readTextLines(const QString& path)
{
    TextReadResult r;
    QFile file(path);
    if (!file.exists()) {
        r.ok = true;
        return r;
    }
    r.exists = true;
    if (!file.open(QIODevice::ReadOnly)) {
        r.error = QStringLiteral("ファイル「%1」を読めません: %2").arg(path, file.errorString());
        return r;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        r.error = QStringLiteral("ファイル「%1」を読めません: %2").arg(path, file.errorString());
        return r;
    }
    r.lines = splitLines(decodeText(bytes));
    r.ok = true;
    return r;
}

bool writeTextLines(const QString& path, const QStringList& lines, QString* error)
{
    QString text;
    for (const QString& line : lines) {
        text += line;
        text += QStringLiteral("\r\n");
    }
    return writeFileAtomic(path, encodeText(text), error);
}

bool writeFileAtomic(const QString& path, const QByteArray& bytes, QString* error)
{
    QSaveFile file(path);
    auto fail = [&](const QString& why) {
        if (error) {
            *error = QStringLiteral("ファイル「%1」に書き込めません: %2").arg(path, why);
        }
        file.cancelWriting();
        return false;
    };
    if (!file.open(QIODevice::WriteOnly)) {
        return fail(file.errorString());
    }
    if (file.write(bytes) != bytes.size()) {
        return fail(file.errorString());
    }
    if (!file.commit()) {
        return fail(file.errorString());
    }
    return true;
}

} // namespace nox
