#include "core/inifile.h"

#include "core/textfile.h"

#include <QFile>

namespace nox
{

namespace
{

// The file as lines, with the positions of sections and keys worked out on
// demand. Sections and keys match without regard to case; the first of
// duplicates wins, as for the platform's own INI files.
// Lines keep their bytes: a write changes only the line of its key, and
// every other line (bytes that are not valid text included) stays as it was.
struct IniText {
    QList<TextLine> lines;
    bool bom = false;
    bool readOk = true;
    QString readError;

    static IniText load(const QString& path)
    {
        IniText t;
        TextReadResult r = readTextLines(path);
        t.readOk = r.ok;
        t.readError = r.error;
        t.lines = std::move(r.textLines);
        t.bom = r.bom;
        return t;
    }

    const QString& text(qsizetype i) const { return lines[i].text(); }

    static bool sectionName(const QString& line, QString* name)
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

    static bool keyValue(const QString& line, QString* key, QString* value)
    {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0) {
            return false;
        }
        const QString k = line.left(eq).trimmed();
        if (k.isEmpty() || k.startsWith(u';')) {
            return false;
        }
        if (key) {
            *key = k;
        }
        if (value) {
            *value = line.mid(eq + 1).trimmed();
        }
        return true;
    }

    // Index of the section's header line, -1 when missing.
    qsizetype findSection(const QString& section) const
    {
        QString name;
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (sectionName(text(i), &name) && name.compare(section, Qt::CaseInsensitive) == 0) {
                return i;
            }
        }
        return -1;
    }

    // One past the last line of the section starting at header.
    qsizetype sectionEnd(qsizetype header) const
    {
        QString name;
        qsizetype i = header + 1;
        while (i < lines.size() && !sectionName(text(i), &name)) {
            ++i;
        }
        return i;
    }

    qsizetype findKey(qsizetype header, const QString& key, QString* value) const
    {
        if (header < 0) {
            return -1;
        }
        const qsizetype end = sectionEnd(header);
        QString k;
        for (qsizetype i = header + 1; i < end; ++i) {
            if (keyValue(text(i), &k, value) && k.compare(key, Qt::CaseInsensitive) == 0) {
                return i;
            }
        }
        return -1;
    }

    void setValue(const QString& section, const QString& key, const QString& value)
    {
        qsizetype header = findSection(section);
        if (header < 0) {
            lines.append(TextLine(QLatin1Char('[') + section + QLatin1Char(']')));
            lines.append(TextLine(key + QLatin1Char('=') + value));
            return;
        }
        const qsizetype at = findKey(header, key, nullptr);
        if (at >= 0) {
            // An unchanged value keeps the line's bytes.
            QString current;
            keyValue(text(at), nullptr, &current);
            if (current != value) {
                const QString& line = text(at);
                lines[at].setText(line.left(line.indexOf(u'=')).trimmed() + QLatin1Char('=') + value);
            }
            return;
        }
        // After the section's last non-blank line, so a blank separator stays last.
        qsizetype insert = sectionEnd(header);
        while (insert > header + 1 && text(insert - 1).trimmed().isEmpty()) {
            --insert;
        }
        lines.insert(insert, TextLine(key + QLatin1Char('=') + value));
    }

    bool write(const QString& path, QString* error) const { return writeTextFile(path, lines, bom, error); }
};

bool parseInteger(const QString& text, int* value)
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

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const
{
    const IniText t = IniText::load(m_path);
    QString value;
    if (t.findKey(t.findSection(section), key, &value) < 0) {
        return def;
    }
    return value;
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const
{
    int v = 0;
    return parseInteger(readString(section, key, QString()), &v) ? v : def;
}

bool IniFile::readBool(const QString& section, const QString& key, bool def) const
{
    return readInteger(section, key, def ? 1 : 0) != 0;
}

TColor IniFile::readColor(const QString& section, const QString& key, TColor def) const
{
    TColor c = def;
    return stringToColor(readString(section, key, QString()), &c) ? c : def;
}

double IniFile::readFloat(const QString& section, const QString& key, double def) const
{
    bool ok = false;
    const double v = readString(section, key, QString()).trimmed().toDouble(&ok);
    return ok ? v : def;
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    IniText t = IniText::load(m_path);
    if (!t.readOk) {
        m_lastError = t.readError;
        reportWriteFailure(m_path, m_lastError);
        return false; // never replace a file we could not read
    }
    // A line break would split the entry; values are one line.
    QString v = value;
    v.replace(u'\r', u' ').replace(u'\n', u' ');
    t.setValue(section, key, v);
    return t.write(m_path, &m_lastError);
}

bool IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool IniFile::writeColor(const QString& section, const QString& key, TColor value)
{
    return writeString(section, key, colorToString(value));
}

bool IniFile::writeFloat(const QString& section, const QString& key, double value)
{
    return writeString(section, key, QString::number(value, 'g', 15));
}

bool IniFile::sectionExists(const QString& section) const
{
    return IniText::load(m_path).findSection(section) >= 0;
}

QStringList IniFile::readSection(const QString& section) const
{
    const IniText t = IniText::load(m_path);
    QStringList keys;
    const qsizetype header = t.findSection(section);
    if (header < 0) {
        return keys;
    }
    const qsizetype end = t.sectionEnd(header);
    QString k;
    for (qsizetype i = header + 1; i < end; ++i) {
        if (IniText::keyValue(t.text(i), &k, nullptr)) {
            keys.append(k);
        }
    }
    return keys;
}

bool IniFile::eraseSection(const QString& section)
{
    IniText t = IniText::load(m_path);
    if (!t.readOk) {
        m_lastError = t.readError;
        reportWriteFailure(m_path, m_lastError);
        return false;
    }
    const qsizetype header = t.findSection(section);
    if (header < 0) {
        return true;
    }
    t.lines.remove(header, t.sectionEnd(header) - header);
    return t.write(m_path, &m_lastError);
}

bool IniFile::deleteKey(const QString& section, const QString& key)
{
    IniText t = IniText::load(m_path);
    if (!t.readOk) {
        m_lastError = t.readError;
        reportWriteFailure(m_path, m_lastError);
        return false;
    }
    const qsizetype at = t.findKey(t.findSection(section), key, nullptr);
    if (at < 0) {
        return true;
    }
    t.lines.removeAt(at);
    return t.write(m_path, &m_lastError);
}

} // namespace nox
