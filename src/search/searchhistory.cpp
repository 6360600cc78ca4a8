#include "search/searchhistory.h"

#include "core/textfile.h"

#include <QDir>

namespace nox
{

namespace
{

QString historyPath(const QString& dataFolder)
{
    return QDir(dataFolder).filePath(QLatin1String(SearchHistory::kFileName));
}

} // namespace

Status SearchHistory::load(const QString& dataFolder)
{
    const TextReadResult read = readTextLines(historyPath(dataFolder));
    m_entries = read.ok() ? read->lines : QStringList();
    return read.status();
}

Status SearchHistory::save(const QString& dataFolder) const
{
    return writeTextLines(historyPath(dataFolder), m_entries);
}

int SearchHistory::recordSearch(const QString& text)
{
    if (text.isEmpty()) {
        if (!m_entries.isEmpty() && !m_entries.first().isEmpty()) {
            m_entries.prepend(QString());
        }
        return m_entries.isEmpty() ? -1 : 0;
    }
    if (m_entries.value(0) != text) {
        m_entries.removeAll(text);
        if (!m_entries.isEmpty() && m_entries.first().isEmpty()) {
            m_entries.removeFirst();
        }
        m_entries.prepend(text);
    }
    return 0;
}

} // namespace nox
