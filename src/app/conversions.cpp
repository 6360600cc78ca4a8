#include "app/conversions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QRegularExpression>
#include <QStringEncoder>

#include "core/inifile.h"
#include "core/textfile.h"
#include "store/schedulebook.h"
#include "store/skedrec.h"

namespace nox::conversions
{

namespace
{

const QString kLegacyFontName = QStringLiteral("ＭＳ Ｐゴシック");
const QString kBeta5Version = QStringLiteral("2.00β5");
const QString kAlarmFileName = QStringLiteral("alarm.nox");

// The bytes the old program compared: the legacy code page where it can
// encode the text, UTF-8 otherwise (both keep ASCII as it is and put every
// other character above it).
QByteArray legacyBytes(const QString& text)
{
    QStringEncoder encoder("CP932");
    if (encoder.isValid()) {
        QByteArray bytes = encoder.encode(text);
        if (!encoder.hasError()) {
            return bytes;
        }
    }
    return text.toUtf8();
}

// The old IDs of one day file mapped to the new ID of the first line that
// carried them (an alarm looks its schedule up by the first matching line).
using IdMap = QHash<qint32, qint32>;

struct FilePass {
    bool ok = true;
    bool changed = false;
    int renumbered = 0;
    int kept = 0;
};

// Renumbers the lines of one day file in place; `counter` runs across files.
// Lines that are no schedule stay as they are (the book keeps their bytes).
FilePass renumberLines(QStringList& lines, const QDate& date, int& counter, IdMap& ids)
{
    FilePass pass;
    for (QString& line : lines) {
        ++counter;
        TSkedRec rec;
        if (!parseSkedLine(line, date, &rec).ok()) {
            ++pass.kept;
            continue;
        }
        QStringList fields = line.split(QLatin1Char('\t'));
        fields[kSkedFieldId] = QString::number(counter);
        while (fields.size() < kSkedFieldCount) {
            fields.append(QString());
        }
        if (!ids.contains(rec.ID)) {
            ids.insert(rec.ID, counter);
        }
        const QString renumbered = fields.join(QLatin1Char('\t'));
        pass.changed = pass.changed || renumbered != line;
        line = renumbered;
        ++pass.renumbered;
    }
    return pass;
}

// The new ID of an alarm entry's schedule: looked up in the day file of the
// entry's date, and for an advance reminder (which may fall on the day
// before its schedule) also in the next day's file.
bool newIdForAlarm(const QMap<QDate, IdMap>& byDate, const QDate& date, qint32 oldId, bool reminder,
                   qint32* newId)
{
    const auto lookUp = [&](const QDate& d) {
        const auto file = byDate.constFind(d);
        if (file == byDate.constEnd() || !file->contains(oldId)) {
            return false;
        }
        *newId = file->value(oldId);
        return true;
    };
    return lookUp(date) || (reminder && lookUp(date.addDays(1)));
}

// Returns the number of entries remapped; a file that could not be read or
// written is added to *failed.
int remapAlarms(const QString& dataFolder, const QMap<QDate, IdMap>& byDate, QStringList* failed)
{
    const QString path = QDir(dataFolder).filePath(kAlarmFileName);
    TextReadResult read = readTextLines(path);
    if (!read->exists) {
        return 0;
    }
    if (!read.ok()) {
        failed->append(path);
        return 0;
    }
    int remapped = 0;
    for (TextLine& textLine : read->textLines) {
        const QString line = textLine.text();
        QStringList fields = line.split(QLatin1Char('\t'));
        bool idOk = false;
        const qint32 oldId = fields.size() >= 2 ? fields[1].trimmed().toInt(&idOk) : 0;
        const QDate date = QDate::fromString(fields[0].left(10), QStringLiteral("yyyy/MM/dd"));
        if (!idOk || !date.isValid()) {
            continue;
        }
        const bool reminder = fields.size() >= 3 && fields[2].trimmed() == QLatin1String("2");
        qint32 newId = 0;
        if (newIdForAlarm(byDate, date, oldId, reminder, &newId) && newId != oldId) {
            fields[1] = QString::number(newId);
            textLine.setText(fields.join(QLatin1Char('\t')));
            ++remapped;
        }
    }
    if (remapped > 0 && !writeTextFile(path, read->textLines, read->bom)) {
        failed->append(path);
        return 0;
    }
    return remapped;
}

} // namespace

bool needsStyleFontConversion(const QString& storedVersion)
{
    if (storedVersion.isEmpty()) {
        return false;
    }
    const QChar first = storedVersion.at(0);
    const int major = (first >= QLatin1Char('0') && first <= QLatin1Char('9')) ? first.digitValue() : 1;
    return major <= 0;
}

bool needsBeta5Conversion(const QString& storedVersion)
{
    if (storedVersion == QLatin1String("2.00")) {
        return false;
    }
    return legacyBytes(storedVersion) < legacyBytes(kBeta5Version);
}

bool needsDayFileUpdate(const QString& storedVersion)
{
    static const QRegularExpression plainDecimal(QStringLiteral("^[0-9]+(\\.[0-9]*)?$"));
    const QString text = storedVersion.trimmed();
    if (!plainDecimal.match(text).hasMatch()) {
        return false;
    }
    const double value = text.toDouble();
    return value >= 2.00 && value <= 2.04;
}

bool convertStyleFonts(const QString& styleIniPath)
{
    if (!QFileInfo::exists(styleIniPath)) {
        return false;
    }
    IniFile ini(styleIniPath);
    bool changed = false;
    for (int i = 1; i <= 3; ++i) {
        const QString section = QStringLiteral("Style%1").arg(i);
        const QString name = ini.readString(section, QStringLiteral("FontName"), QString());
        if (name.compare(QLatin1String("tahoma"), Qt::CaseInsensitive) != 0) {
            continue;
        }
        // A failed write is reported by the writer; the section then stays as it was.
        const bool written = ini.writeInteger(section, QStringLiteral("FontSize"), 9) &&
                             ini.writeString(section, QStringLiteral("FontName"), kLegacyFontName);
        changed = changed || written;
    }
    return changed;
}

Beta5Result convertToBeta5(const QString& noxIniPath, const QString& dataFolder)
{
    Beta5Result result;
    if (QFileInfo::exists(noxIniPath)) {
        IniFile ini(noxIniPath);
        static const QRegularExpression historyKey(QStringLiteral("^keyword([1-9]|1[0-9]|20)$"),
                                                   QRegularExpression::CaseInsensitiveOption);
        const QStringList keys = ini.readSection(QStringLiteral("search"));
        for (const QString& key : keys) {
            if (historyKey.match(key).hasMatch() && ini.deleteKey(QStringLiteral("search"), key)) {
                ++result.keywordsDeleted;
            }
        }
    }
    const QDir dir(dataFolder);
    const QString oldHolidays = dir.filePath(QStringLiteral("holiday.nox"));
    const QString newHolidays = dir.filePath(QStringLiteral("holiday.txt"));
    // QFile::rename refuses to replace an existing file, which is what we want.
    if (QFileInfo::exists(oldHolidays) && !QFileInfo::exists(newHolidays)) {
        QFile old(oldHolidays);
        result.holidayRenamed = old.rename(newHolidays);
        if (!result.holidayRenamed) {
            reportWriteFailure(oldHolidays, QStringLiteral("ファイル「%1」を「%2」に改名できません: %3")
                                                .arg(oldHolidays, newHolidays, old.errorString()));
        }
    }
    return result;
}

DayFileUpdateResult updateDayFiles(const QString& dataFolder, const UpdateProgress& progress)
{
    DayFileUpdateResult result;
    // The pass brings "alarm.nox" along itself (remapAlarms): no alarm sink.
    ScheduleBook book(dataFolder, nullptr);
    const QList<QDate> dates = book.dates();
    result.files = int(dates.size());
    if (progress.begin) {
        progress.begin(result.files);
    }
    QMap<QDate, IdMap> idsByDate;
    int counter = 0;
    int done = 0;
    for (const QDate& date : dates) {
        IdMap ids;
        FilePass pass;
        const BookResult written = book.rewriteLines(date, [&](QStringList& lines) {
            pass = renumberLines(lines, date, counter, ids);
            return pass.changed;
        });
        result.linesKept += pass.kept;
        if (!written.ok()) {
            result.failedFiles.append(written.file());
        } else {
            result.linesRenumbered += pass.renumbered;
            idsByDate.insert(date, ids);
        }
        if (progress.step) {
            progress.step(++done);
        }
    }
    result.alarmsRemapped = remapAlarms(dataFolder, idsByDate, &result.failedFiles);
    if (progress.end) {
        progress.end();
    }
    return result;
}

ConversionResult runConversions(const QString& storedVersion, const QString& dataFolder,
                                const UpdateProgress& progress)
{
    ConversionResult result;
    const QDir dir(dataFolder);
    if (needsStyleFontConversion(storedVersion)) {
        result.styleFontsConverted = convertStyleFonts(dir.filePath(QStringLiteral("style.ini")));
    }
    if (needsBeta5Conversion(storedVersion)) {
        result.beta5Ran = true;
        result.beta5 = convertToBeta5(dir.filePath(QStringLiteral("Nox.ini")), dataFolder);
    }
    if (needsDayFileUpdate(storedVersion)) {
        result.dayFilesUpdated = true;
        result.dayFiles = updateDayFiles(dataFolder, progress);
    }
    return result;
}

} // namespace nox::conversions
