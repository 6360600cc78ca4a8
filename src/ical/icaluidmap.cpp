#include "icaluidmap.h"

#include <QDir>
#include <QUuid>
#include <algorithm>

#include "core/textfile.h"

namespace nox::ical
{

namespace
{

constexpr char16_t kIdentityTag[] = u"I";
constexpr char16_t kScheduleTag[] = u"S";
constexpr char16_t kRuleTag[] = u"R";

bool keepableUid(const QString& uid)
{
    return !uid.isEmpty() && !uid.contains(u'\t') && !uid.contains(u'\r') && !uid.contains(u'\n');
}

QString entryLine(const QString& uid, const UidEntry& e)
{
    return QStringList{e.rule ? QString::fromUtf16(kRuleTag) : QString::fromUtf16(kScheduleTag), uid,
                       e.rule ? QString() : e.date.toString(QStringLiteral("yyyyMMdd")),
                       QString::number(e.id)}
        .join(u'\t');
}

} // namespace

Status UidMap::load(const QString& dataFolder)
{
    m_path = QDir(dataFolder).filePath(QLatin1String(kUidMapFileName));
    m_lines.clear();
    m_identity.clear();
    m_changed = false;
    const TextReadResult read = readTextLines(m_path);
    if (read->exists && !read.ok()) {
        return read.status();
    }
    for (const QString& text : read->lines) {
        Line line{text, {}, {}};
        const QStringList f = text.split(u'\t');
        bool ok = false;
        if (f.size() == 2 && f[0] == kIdentityTag && m_identity.isEmpty()) {
            m_identity = f[1];
        } else if (f.size() == 4 && (f[0] == kScheduleTag || f[0] == kRuleTag) && keepableUid(f[1])) {
            line.entry.rule = f[0] == kRuleTag;
            line.entry.date = QDate::fromString(f[2], QStringLiteral("yyyyMMdd"));
            line.entry.id = f[3].toInt(&ok);
            if (ok && (line.entry.rule || line.entry.date.isValid())) {
                line.uid = f[1];
            }
        }
        m_lines.append(line);
    }
    return Status::success();
}

void UidMap::ensureIdentity()
{
    if (m_identity.isEmpty()) {
        m_identity = QUuid::createUuid().toString(QUuid::WithoutBraces);
        m_lines.prepend(Line{QStringLiteral("I\t") + m_identity, {}, {}});
        m_changed = true;
    }
}

Status UidMap::save()
{
    ensureIdentity();
    if (!m_changed) {
        return Status::success();
    }
    QStringList texts;
    for (const Line& line : std::as_const(m_lines)) {
        texts.append(line.text);
    }
    Status written = rewriteTextLines(m_path, texts);
    if (written.ok()) {
        m_changed = false;
    }
    return written;
}

bool UidMap::has(const QString& uid) const
{
    return std::any_of(m_lines.cbegin(), m_lines.cend(), [&](const Line& l) { return l.uid == uid; });
}

QList<UidEntry> UidMap::entries(const QString& uid) const
{
    QList<UidEntry> found;
    for (const Line& line : m_lines) {
        if (!uid.isEmpty() && line.uid == uid) {
            found.append(line.entry);
        }
    }
    return found;
}

void UidMap::setEntries(const QString& uid, const QList<UidEntry>& entries)
{
    if (!keepableUid(uid) || this->entries(uid) == entries) {
        return;
    }
    qsizetype at = -1;
    for (qsizetype i = m_lines.size() - 1; i >= 0; --i) {
        if (m_lines.at(i).uid == uid) {
            m_lines.removeAt(i);
            at = i;
        }
    }
    at = at < 0 ? m_lines.size() : at;
    for (const UidEntry& e : entries) {
        m_lines.insert(at++, Line{entryLine(uid, e), uid, e});
    }
    m_changed = true;
}

QString UidMap::uidOfSchedule(const QDate& date, qint32 id) const
{
    for (const Line& line : m_lines) {
        if (!line.uid.isEmpty() && !line.entry.rule && line.entry.date == date && line.entry.id == id) {
            return line.uid;
        }
    }
    return {};
}

QString UidMap::uidOfRule(qint32 id) const
{
    for (const Line& line : m_lines) {
        if (!line.uid.isEmpty() && line.entry.rule && line.entry.id == id) {
            return line.uid;
        }
    }
    return {};
}

QString UidMap::madeUid(const QDate& date, qint32 id)
{
    ensureIdentity();
    const QString prefix =
        date.isValid() ? date.toString(QStringLiteral("yyyyMMdd")) + u'-' : QStringLiteral("R");
    return prefix + QString::number(id) + u'@' + m_identity;
}

} // namespace nox::ical

namespace nox::ical
{

std::optional<UidEntry> UidMap::ownEntry(const QString& uid) const
{
    if (m_identity.isEmpty() || !uid.endsWith(u'@' + m_identity)) {
        return std::nullopt;
    }
    const QString key = uid.left(uid.size() - m_identity.size() - 1);
    bool ok = false;
    if (key.startsWith(u'R')) {
        const qint32 id = key.mid(1).toInt(&ok);
        return ok ? std::optional(UidEntry{true, {}, id}) : std::nullopt;
    }
    const QDate date = QDate::fromString(key.left(8), QStringLiteral("yyyyMMdd"));
    const qint32 id = key.mid(9).toInt(&ok);
    if (!date.isValid() || key.size() < 10 || key.at(8) != u'-' || !ok) {
        return std::nullopt;
    }
    return UidEntry{false, date, id};
}

} // namespace nox::ical
