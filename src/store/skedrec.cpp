#include "store/skedrec.h"

namespace nox
{

namespace
{

const QString kLineBreakEscape = QString::fromLatin1(kSkedLineBreak);

bool readInt(const QString& field, qint32* value)
{
    bool ok = false;
    const int v = field.toInt(&ok, 10);
    if (ok) {
        *value = v;
    }
    return ok;
}

// Checks the required fields 0..6 into *rec; returns the reason on failure.
QString readRequired(const QStringList& f, TSkedRec* rec)
{
    if (!readInt(f[0], &rec->StartTime)) {
        return QStringLiteral("開始時刻「%1」が数値ではありません").arg(f[0]);
    }
    if (!readInt(f[1], &rec->EndTime)) {
        return QStringLiteral("終了時刻「%1」が数値ではありません").arg(f[1]);
    }
    if (!stringToColor(f[2], &rec->TextColor)) {
        return QStringLiteral("文字色「%1」を読めません").arg(f[2]);
    }
    if (!stringToColor(f[3], &rec->LineColor)) {
        return QStringLiteral("線の色「%1」を読めません").arg(f[3]);
    }
    if (!readInt(f[4], &rec->FontStyle)) {
        return QStringLiteral("文字スタイル「%1」が数値ではありません").arg(f[4]);
    }
    if (!readInt(f[5], &rec->ImageIndex)) {
        return QStringLiteral("イメージ番号「%1」が数値ではありません").arg(f[5]);
    }
    if (!readInt(f[6], &rec->ID)) {
        return QStringLiteral("ID「%1」が数値ではありません").arg(f[6]);
    }
    if (rec->StartTime < 0 || rec->StartTime >= kSlotCount || rec->EndTime < rec->StartTime ||
        rec->EndTime >= kSlotCount) {
        return QStringLiteral("時刻 %1 - %2 が範囲外です").arg(f[0], f[1]);
    }
    return QString();
}

// A category is one line of one field: tabs and line breaks become spaces.
QString plainField(const QString& text)
{
    QString s = text;
    s.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar& c : s) {
        if (c == u'\t' || c == u'\r' || c == u'\n') {
            c = u' ';
        }
    }
    return s;
}

} // namespace

QString escapeSkedText(const QString& text)
{
    QString s = text;
    s.replace(QStringLiteral("\r\n"), kLineBreakEscape);
    s.replace(u'\r', kLineBreakEscape);
    s.replace(u'\n', kLineBreakEscape);
    s.replace(u'\t', u' ');
    return s;
}

QString unescapeSkedText(const QString& text)
{
    QString s = text;
    return s.replace(kLineBreakEscape, QStringLiteral("\r\n"));
}

QString skedFirstLine(const QString& escaped)
{
    const qsizetype cut = escaped.indexOf(kLineBreakEscape);
    return cut < 0 ? escaped : escaped.left(cut);
}

QString replaceSkedFirstLine(const QString& escaped, const QString& firstLine)
{
    const qsizetype cut = escaped.indexOf(kLineBreakEscape);
    return escapeSkedText(firstLine) + (cut < 0 ? QString() : escaped.mid(cut));
}

QString formatSkedLine(const TSkedRec& rec)
{
    const QStringList fields{
        QString::number(rec.StartTime),
        QString::number(rec.EndTime),
        colorToString(rec.TextColor),
        colorToString(rec.LineColor),
        QString::number(rec.FontStyle),
        QString::number(rec.ImageIndex),
        QString::number(rec.ID),
        // The texts are held escaped already; escaping again changes nothing
        // then, and keeps a text that slipped through raw from splitting the
        // line or shifting its fields.
        escapeSkedText(rec.Memo),
        escapeSkedText(rec.Text),
        plainField(rec.Category),
        QString::number(rec.AlarmMinutes),
        escapeSkedText(rec.RelatedInfo),
        rec.OpenRelatedInfo ? QStringLiteral("1") : QStringLiteral("0"),
    };
    QString line = fields.join(u'\t');
    if (!rec.ExtraFields.isEmpty()) {
        line += u'\t' + rec.ExtraFields;
    }
    return line;
}

TSkedParseResult parseSkedLine(const QString& line, const QDate& date, TSkedRec* rec)
{
    const QStringList f = line.split(u'\t');
    if (f.size() < kSkedRequiredFields) {
        return Status::failed({}, QStringLiteral("項目が %1 個しかありません (%2 個以上必要)")
                                      .arg(f.size())
                                      .arg(kSkedRequiredFields));
    }
    TSkedRec r;
    if (QString reason = readRequired(f, &r); !reason.isEmpty()) {
        return Status::failed({}, std::move(reason));
    }
    r.setDate(date);
    r.Memo = f[7];
    r.Text = f[8];
    r.Category = f[9];
    if (f.size() <= 10 || !readInt(f[10], &r.AlarmMinutes)) {
        r.AlarmMinutes = -1;
    }
    r.RelatedInfo = f.size() > 11 ? f[11] : QString();
    r.OpenRelatedInfo = f.size() > 12 && f[12] == u"1";
    if (f.size() > kSkedFieldCount) {
        r.ExtraFields = f.mid(kSkedFieldCount).join(u'\t');
    }
    *rec = r;
    return Status::success();
}

QString skedLineField(const QString& line, int index)
{
    qsizetype start = 0;
    for (int i = 0; i < index; ++i) {
        start = line.indexOf(u'\t', start);
        if (start < 0) {
            return QString();
        }
        ++start;
    }
    const qsizetype end = line.indexOf(u'\t', start);
    return line.mid(start, end < 0 ? -1 : end - start);
}

void copySkedRec(const TSkedRec& src, TSkedRec* dst)
{
    *dst = src;
}

QString skedTimeText(int slot)
{
    return slotTimeText(slot);
}

QDateTime skedStartDateTime(const TSkedRec& rec)
{
    return QDateTime(rec.date(), timeOfSlot(rec.StartTime));
}

QString skedSortableStart(const TSkedRec& rec)
{
    return rec.date().toString(QStringLiteral("yyyy/MM/dd ")) +
           skedTimeText(rec.StartTime).rightJustified(5, u'0');
}

} // namespace nox
