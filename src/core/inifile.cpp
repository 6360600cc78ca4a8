#include "core/inifile.h"

#include "core/inidocument.h"
#include "core/textfile.h"

namespace nox
{

namespace
{

// The file as a document; the status fails when it exists but cannot be
// read. Lines keep their bytes for the write back.
Result<IniDocument> load(const QString& path)
{
    TextReadResult r = readTextLines(path);
    return Result<IniDocument>(r.status(), IniDocument(std::move(r->textLines), r->bom));
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

// A file that exists but cannot be read is never replaced: the failure is
// reported and nothing is returned.
std::optional<IniDocument> IniFile::loadForChange()
{
    Result<IniDocument> doc = load(m_path);
    m_lastError = doc.message();
    if (!doc.ok()) {
        reportWriteFailure(m_path, m_lastError);
        return std::nullopt;
    }
    return std::move(doc.value());
}

QString IniFile::readString(const QString& section, const QString& key, const QString& def) const
{
    return load(m_path)->value(section, key, def);
}

IniDocument IniFile::snapshot() const
{
    return std::move(load(m_path).value());
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
    std::optional<IniDocument> doc = loadForChange();
    if (!doc) {
        return false;
    }
    doc->setValue(section, key, value);
    return written(doc->write(m_path));
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
    return load(m_path)->hasSection(section);
}

QStringList IniFile::readSection(const QString& section) const
{
    return load(m_path)->keys(section);
}

bool IniFile::eraseSection(const QString& section)
{
    std::optional<IniDocument> doc = loadForChange();
    if (!doc) {
        return false;
    }
    return !doc->removeSection(section) || written(doc->write(m_path));
}

bool IniFile::deleteKey(const QString& section, const QString& key)
{
    std::optional<IniDocument> doc = loadForChange();
    if (!doc) {
        return false;
    }
    return !doc->removeKey(section, key) || written(doc->write(m_path));
}

} // namespace nox
