#pragma once
// IniDocument: an INI file's lines in memory, looked up and changed by the
// rules of every INI file of the program: sections and keys match without
// regard to case and the first of duplicates wins; a value is the text after
// the first "=", trimmed; a changed key keeps its line and its spelling; a
// new key goes after the last non-blank line of its section, a new section
// with it at the end; a value is one line (line breaks become spaces). Lines
// the changes do not touch stay as they were. IniFile (core/inifile.h) reads
// and writes one key per reading of the file through it; the settings layer
// (core/settings.h) reads many keys from one reading and writes many with one
// write.
#include <QString>
#include <QStringList>

#include "core/status.h"
#include "core/textfile.h"

namespace nox
{

class IniDocument
{
public:
    IniDocument() = default;
    // Lines as read keep their bytes (see TextLine); `bom`: the file began
    // with a byte-order mark, which a write keeps.
    explicit IniDocument(QList<TextLine> lines, bool bom = false) : m_lines(std::move(lines)), m_bom(bom) {}
    const QList<TextLine>& lines() const { return m_lines; }
    // Writes the document through the atomic writer: untouched lines as the
    // bytes they were.
    Status write(const QString& path) const;

    // The value, or `def` when the key is missing.
    QString value(const QString& section, const QString& key, const QString& def) const;
    // Sets the value (line breaks become spaces).
    void setValue(const QString& section, const QString& key, const QString& value);
    // Removes the key's line; false when there was none.
    bool removeKey(const QString& section, const QString& key);
    bool hasSection(const QString& section) const { return findSection(section) >= 0; }
    // The section's keys in file order (empty when there is no such section).
    QStringList keys(const QString& section) const;
    // Removes the section's header and lines; false when there was none.
    bool removeSection(const QString& section);

    // The typed readings of IniFile: integers in decimal, "$" or "0x"
    // hexadecimal (up to 32 bits), booleans as integers (non-zero is true),
    // colours in either form of color.h, floating point numbers.
    static bool parseInteger(const QString& text, int* value);
    static bool parseFloat(const QString& text, double* value);

private:
    qsizetype findSection(const QString& section) const;
    qsizetype sectionEnd(qsizetype header) const;
    qsizetype findKey(qsizetype header, const QString& key, QString* value) const;

    QList<TextLine> m_lines;
    bool m_bom = false;
};

} // namespace nox
