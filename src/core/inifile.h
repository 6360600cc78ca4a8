#pragma once
// A small INI reader/writer that keeps the file as written: key order,
// comments and unknown lines survive, values are taken verbatim ("2,3,3" is a
// string). Each read or write of one key opens and closes the file; writes
// replace the file atomically and change only the line of their key: every
// other line keeps its bytes, whatever they are. Lines are decoded one by one
// (UTF-8, else CP932).
#include <QString>
#include <QStringList>
#include <optional>

#include "core/color.h"
#include "core/inidocument.h"

namespace nox
{

class IniFile
{
public:
    explicit IniFile(QString path);
    const QString& path() const { return m_path; }

    // Each read reads the file anew; snapshot() reads it once for many keys.
    QString readString(const QString& section, const QString& key, const QString& def) const;
    int readInteger(const QString& section, const QString& key, int def) const;
    bool readBool(const QString& section, const QString& key, bool def) const; // "1"/"0"
    TColor readColor(const QString& section, const QString& key, TColor def) const;
    double readFloat(const QString& section, const QString& key, double def) const;

    // Each returns false when the file could not be read or written (the
    // file then stays as it was; lastError() says why).
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInteger(const QString& section, const QString& key, int value);
    bool writeBool(const QString& section, const QString& key, bool value);
    bool writeColor(const QString& section, const QString& key, TColor value); // name form
    bool writeFloat(const QString& section, const QString& key, double value);

    // The file as it is now (empty when missing or unreadable), for reading
    // many keys at the cost of one read; value() gives what readString would.
    IniDocument snapshot() const;

    bool sectionExists(const QString& section) const;
    QStringList readSection(const QString& section) const; // key names in file order
    bool eraseSection(const QString& section);
    bool deleteKey(const QString& section, const QString& key);

    QString lastError() const { return m_lastError; }

private:
    std::optional<IniDocument> loadForChange();
    bool written(const Status& status)
    {
        m_lastError = status.message();
        return status.ok();
    }

    QString m_path;
    QString m_lastError;
};

} // namespace nox
