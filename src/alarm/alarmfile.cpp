#include "alarm/alarmfile.h"

#include <QDir>
#include <QFile>

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

bool removeAlarmFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.exists() || file.remove()) {
        return true;
    }
    if (error) {
        *error =
            QStringLiteral("%1 を削除できません: %2").arg(QDir::toNativeSeparators(path), file.errorString());
    }
    return false;
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
    list.setLoadFailed(false);

    AlarmLoadResult result;
    const TextReadResult text = readTextLines(alarmFilePath(dataFolder));
    if (!text.exists) {
        return result;
    }
    if (!text.ok) {
        list.setLoadFailed(true);
        result.ok = false;
        result.error = text.error;
        return result;
    }
    for (int i = 0; i < text.lines.size(); ++i) {
        const QString& line = text.lines.at(i);
        if (line.isEmpty()) {
            continue;
        }
        AlarmList::Entry entry;
        const QString why = parseAlarmLine(line, &entry);
        if (why.isEmpty()) {
            list.add(entry.key, entry.rec);
        } else {
            result.problems.append(QStringLiteral("%1 の %2 行目はアラームとして読めません（%3）: %4")
                                       .arg(kAlarmFileName)
                                       .arg(i + 1)
                                       .arg(why, line));
        }
    }
    return result;
}

bool SaveAlarmList(const AlarmList& list, const QString& dataFolder, const QDateTime& now, QString* error)
{
    const QString path = alarmFilePath(dataFolder);
    if (list.loadFailed()) {
        if (error) {
            *error = QStringLiteral("%1 は起動時に読めなかったため、上書きしません")
                         .arg(QDir::toNativeSeparators(path));
        }
        return false;
    }
    const QString nowKey = AlarmKey(now);
    QStringList lines;
    for (const AlarmList::Entry& e : list.entries()) {
        if (QString::compare(e.key, nowKey, Qt::CaseSensitive) >= 0) {
            lines.append(QStringLiteral("%1\t%2\t%3").arg(e.key).arg(e.rec.ID).arg(e.rec.Kind));
        }
    }
    lines.append(list.keptLines());
    if (lines.isEmpty()) {
        return removeAlarmFile(path, error);
    }
    return writeTextLines(path, lines, error);
}

} // namespace nox
