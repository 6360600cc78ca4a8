#include "alarm/alarmfile.h"

#include <QDir>

#include "core/textfile.h"

namespace nox
{

namespace
{

const QString kAlarmFileName = QStringLiteral("alarm.nox");

// Why a line is not an alarm entry; empty when it is one.
QString parseAlarmLine(const QString& line, AlarmList::Entry* entry)
{
    const QStringList fields = line.split(u'\t');
    bool idOk = false;
    const qint32 id = fields.size() > 1 ? fields.at(1).toInt(&idOk) : 0;
    if (!idOk) {
        return QStringLiteral("ID が数値ではありません");
    }
    if (!isValidAlarmKey(fields.at(0))) {
        return QStringLiteral("日時が \"yyyy/MM/dd hh:nn\" の形ではありません");
    }
    bool kindOk = false;
    const int kind = fields.size() > 2 ? fields.at(2).toInt(&kindOk) : 0;
    entry->key = fields.at(0);
    entry->rec.ID = id;
    entry->rec.Kind = kindOk ? quint8(kind & 0xFF) : 0;
    return {};
}

QString entryLine(const AlarmList::Entry& e)
{
    return QStringLiteral("%1\t%2\t%3").arg(e.key).arg(e.rec.ID).arg(e.rec.Kind);
}

// What a line stands for: the entry it holds, so that a line written
// differently (a Kind of "01", fields after the third) keeps its bytes while
// its entry is unchanged; the line itself when it is no entry.
QString canonicalAlarmLine(const QString& line)
{
    AlarmList::Entry entry;
    if (parseAlarmLine(line, &entry).isEmpty()) {
        return entryLine(entry);
    }
    return QLatin1Char('\x01') + line;
}

} // namespace

QString alarmFilePath(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(kAlarmFileName);
}

AlarmLoadResult LoadAlarmList(AlarmList& list, const QString& dataFolder)
{
    list.clear();
    list.setKeptLines({});
    list.setLoadedLines({}, false);
    list.setLoadFailed(false);

    AlarmLoadResult result = AlarmLoadResult::success({});
    const TextReadResult text = readTextLines(alarmFilePath(dataFolder));
    if (!text->exists) {
        return result;
    }
    if (!text.ok()) {
        list.setLoadFailed(true);
        return AlarmLoadResult(text.status());
    }
    QStringList kept;
    for (int i = 0; i < text->lines.size(); ++i) {
        const QString& line = text->lines.at(i);
        if (line.isEmpty()) {
            continue;
        }
        AlarmList::Entry entry;
        const QString why = parseAlarmLine(line, &entry);
        if (why.isEmpty()) {
            list.add(entry.key, entry.rec);
        } else {
            kept.append(line);
            result->append(QStringLiteral("%1 の %2 行目はアラームとして読めません（%3）: %4")
                                       .arg(kAlarmFileName)
                                       .arg(i + 1)
                                       .arg(why, line));
        }
    }
    list.setKeptLines(kept);
    list.setLoadedLines(text->textLines, text->bom);
    return result;
}

Status SaveAlarmList(const AlarmList& list, const QString& dataFolder, const QDateTime& now)
{
    const QString path = alarmFilePath(dataFolder);
    if (list.loadFailed()) {
        const QString message = QStringLiteral("%1 は起動時に読めなかったため、上書きしません")
                                    .arg(QDir::toNativeSeparators(path));
        reportWriteFailure(path, message);
        return Status::failed(path, message);
    }
    const QString nowKey = AlarmKey(now);
    QStringList lines;
    for (const AlarmList::Entry& e : list.entries()) {
        if (QString::compare(e.key, nowKey, Qt::CaseSensitive) >= 0) {
            lines.append(entryLine(e));
        }
    }
    lines.append(list.keptLines());
    if (lines.isEmpty()) {
        return removeFile(path);
    }
    return writeTextFile(path, keepOriginalLines(list.loadedLines(), lines, canonicalAlarmLine),
                         list.loadedBom());
}

} // namespace nox
