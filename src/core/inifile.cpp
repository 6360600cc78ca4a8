#include "core/inifile.h"

#include "core/inidocument.h"
#include "core/textfile.h"

namespace nox
{

namespace
{

// The file as a document; false in *readOk when it exists but cannot be read.
IniDocument load(const QString& path, bool* readOk = nullptr)
{
    TextReadResult r = readTextLines(path);
    if (readOk) {
        *readOk = r.ok;
    }
    return IniDocument(std::move(r.lines));
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const
{
    return load(m_path).value(section, key, def);
}

int IniFile::readInteger(const QString& section, const QString& key, int def) const
{
    int v = 0;
    return IniDocument::parseInteger(readString(section, key, QString()), &v) ? v : def;
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
    double v = 0;
    return IniDocument::parseFloat(readString(section, key, QString()), &v) ? v : def;
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    bool readOk = false;
    IniDocument doc = load(m_path, &readOk);
    if (!readOk) {
        return false; // never replace a file we could not read
    }
    doc.setValue(section, key, value);
    return writeTextLines(m_path, doc.lines());
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
    return load(m_path).hasSection(section);
}

QStringList IniFile::readSection(const QString& section) const
{
    return load(m_path).keys(section);
}

bool IniFile::eraseSection(const QString& section)
{
    bool readOk = false;
    IniDocument doc = load(m_path, &readOk);
    if (!readOk) {
        return false;
    }
    return !doc.removeSection(section) || writeTextLines(m_path, doc.lines());
}

bool IniFile::deleteKey(const QString& section, const QString& key)
{
    bool readOk = false;
    IniDocument doc = load(m_path, &readOk);
    if (!readOk) {
        return false;
    }
    return !doc.removeKey(section, key) || writeTextLines(m_path, doc.lines());
}

} // namespace nox
