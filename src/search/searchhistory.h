#pragma once
// The search text history of the search box, kept in "searchword.nox" of the
// data folder: one entry per line, the newest first, no upper limit. An
// empty line is an empty entry (a search by the other criteria alone).
#include <QString>
#include <QStringList>

#include "core/status.h"

namespace nox
{

class SearchHistory
{
public:
    static constexpr const char* kFileName = "searchword.nox";

    const QStringList& entries() const { return m_entries; }
    void setEntries(const QStringList& entries) { m_entries = entries; }

    // A missing file gives an empty history. Fails (history empty) when the
    // file exists but cannot be read.
    Status load(const QString& dataFolder);
    // Writes every entry (atomically); a failure names the file.
    Status save(const QString& dataFolder) const;

    // Records a search that found something. A text that is not the first
    // entry moves (or goes) to the top, and an empty first entry is dropped;
    // an empty text puts an empty entry on top unless the history is empty
    // or starts with one already. Returns the index of the entry to select.
    int recordSearch(const QString& text);

private:
    QStringList m_entries;
};

} // namespace nox
