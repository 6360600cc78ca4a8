#include "core/inidocument.h"

#include <climits>

namespace nox
{

namespace
{

bool sectionName(const QString& line, QString* name)
{
    const QString s = line.trimmed();
    if (!s.startsWith(u'[')) {
        return false;
    }
    const qsizetype close = s.indexOf(u']');
    if (close < 0) {
        return false;
    }
    *name = s.mid(1, close - 1).trimmed();
    return true;
}

bool keyValue(const QString& line, QString* key, QString* value)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) {
        return false;
    }
    const QString k = line.left(eq).trimmed();
    if (k.isEmpty() || k.startsWith(u';')) {
        return false;
    }
    *key = k;
    if (value) {
        *value = line.mid(eq + 1).trimmed();
    }
    return true;
}

} // namespace

qsizetype IniDocument::findSection(const QString& section) const
{
    QString name;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        if (sectionName(m_lines[i].text(), &name) && name.compare(section, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

// One past the last line of the section starting at `header`.
qsizetype IniDocument::sectionEnd(qsizetype header) const
{
    QString name;
    qsizetype i = header + 1;
    while (i < m_lines.size() && !sectionName(m_lines[i].text(), &name)) {
        ++i;
    }
    return i;
}

qsizetype IniDocument::findKey(qsizetype header, const QString& key, QString* value) const
{
    if (header < 0) {
        return -1;
    }
    const qsizetype end = sectionEnd(header);
    QString k;
    for (qsizetype i = header + 1; i < end; ++i) {
        if (keyValue(m_lines[i].text(), &k, value) && k.compare(key, Qt::CaseInsensitive) == 0) {
            return i;
        }
    }
    return -1;
}

QString IniDocument::value(const QString& section, const QString& key, const QString& def) const
{
    QString value;
    return findKey(findSection(section), key, &value) < 0 ? def : value;
}

void IniDocument::setValue(const QString& section, const QString& key, const QString& value)
{
    QString v = value;
    v.replace(u'\r', u' ').replace(u'\n', u' ');
    const qsizetype header = findSection(section);
    if (header < 0) {
        m_lines.append(TextLine(QLatin1Char('[') + section + QLatin1Char(']')));
        m_lines.append(TextLine(key + QLatin1Char('=') + v));
        return;
    }
    const qsizetype at = findKey(header, key, nullptr);
    if (at >= 0) {
        // An unchanged value keeps the line's bytes.
        const QString line = m_lines[at].text();
        QString current;
        QString k;
        keyValue(line, &k, &current);
        if (current != v) {
            m_lines[at].setText(line.left(line.indexOf(u'=')).trimmed() + QLatin1Char('=') + v);
        }
        return;
    }
    // After the section's last non-blank line, so a blank separator stays last.
    qsizetype insert = sectionEnd(header);
    while (insert > header + 1 && m_lines[insert - 1].text().trimmed().isEmpty()) {
        --insert;
    }
    m_lines.insert(insert, TextLine(key + QLatin1Char('=') + v));
}

bool IniDocument::removeKey(const QString& section, const QString& key)
{
    const qsizetype at = findKey(findSection(section), key, nullptr);
    if (at < 0) {
        return false;
    }
    m_lines.removeAt(at);
    return true;
}

QStringList IniDocument::keys(const QString& section) const
{
    QStringList keys;
    const qsizetype header = findSection(section);
    if (header < 0) {
        return keys;
    }
    const qsizetype end = sectionEnd(header);
    QString k;
    for (qsizetype i = header + 1; i < end; ++i) {
        if (keyValue(m_lines[i].text(), &k, nullptr)) {
            keys.append(k);
        }
    }
    return keys;
}

bool IniDocument::removeSection(const QString& section)
{
    const qsizetype header = findSection(section);
    if (header < 0) {
        return false;
    }
    m_lines.remove(header, sectionEnd(header) - header);
    return true;
}

Status IniDocument::write(const QString& path) const
{
    return writeTextFile(path, m_lines, m_bom);
}

bool IniDocument::parseInteger(const QString& text, int* value)
{
    const QString t = text.trimmed();
    bool ok = false;
    qlonglong v = 0;
    if (t.startsWith(u'$')) {
        v = t.mid(1).toLongLong(&ok, 16);
    } else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        v = t.mid(2).toLongLong(&ok, 16);
    } else {
        v = t.toLongLong(&ok, 10);
    }
    if (!ok || v < INT_MIN || v > qlonglong(UINT_MAX)) {
        return false;
    }
    *value = int(quint32(v));
    return true;
}

bool IniDocument::parseFloat(const QString& text, double* value)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    if (ok) {
        *value = v;
    }
    return ok;
}

} // namespace nox
