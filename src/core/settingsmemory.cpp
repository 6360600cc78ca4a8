#include "core/settingsmemory_p.h"

#include <QHash>
#include <QMutex>

#include "core/filestamp.h"
#include "core/inidocument.h"
#include "core/textfile.h"

namespace nox::settingsmemory
{

namespace
{

struct Reading {
    FileStamp stamp;
    bool trusted = false; // the stamp will tell the next change
    IniDocument doc;
};

struct Batch {
    int openers = 0;
    Status read = Status::success(); // a file that could not be read is never replaced
    bool written = false; // a write came (the file is written even when it did not change a line)
    IniDocument doc;
};

struct Memory {
    QMutex lock;
    QHash<QString, Reading> readings;
    QHash<QString, Batch> batches;
};

Memory& memory()
{
    static Memory m;
    return m;
}

// The file as it stands: the last reading while its stamp holds. A file
// that cannot be read reads as empty, as IniFile reads it.
const IniDocument& current(Memory& m, const QString& path)
{
    const FileStamp before = FileStamp::of(path);
    auto it = m.readings.find(path);
    if (it != m.readings.end() && it->trusted && it->stamp == before) {
        return it->doc;
    }
    const TextReadResult read = readTextLines(path);
    Reading reading{FileStamp::of(path), false, IniDocument(read->textLines, read->bom)};
    reading.trusted = read.ok() && reading.stamp == before && reading.stamp.isSettled();
    return m.readings.insert(path, std::move(reading))->doc;
}

} // namespace

QString value(const QString& path, const QString& section, const QString& key, const QString& def)
{
    Memory& m = memory();
    QMutexLocker locker(&m.lock);
    const auto batch = m.batches.constFind(path);
    const IniDocument& doc = batch != m.batches.cend() ? batch->doc : current(m, path);
    return doc.value(section, key, def);
}

bool writeToBatch(const QString& path, const QString& section, const QString& key, const QString& value,
                  bool* ok)
{
    Memory& m = memory();
    QMutexLocker locker(&m.lock);
    const auto batch = m.batches.find(path);
    if (batch == m.batches.end()) {
        return false;
    }
    *ok = batch->read.ok(); // a file that could not be read is never replaced
    if (batch->read.ok()) {
        batch->doc.setValue(section, key, value);
        batch->written = true;
    }
    return true;
}

bool removeFromBatch(const QString& path, const QString& section, const QString& key, bool* ok)
{
    Memory& m = memory();
    QMutexLocker locker(&m.lock);
    const auto batch = m.batches.find(path);
    if (batch == m.batches.end()) {
        return false;
    }
    *ok = batch->read.ok();
    if (batch->read.ok() && batch->doc.removeKey(section, key)) {
        batch->written = true;
    }
    return true;
}

void forget(const QString& path)
{
    Memory& m = memory();
    QMutexLocker locker(&m.lock);
    m.readings.remove(path);
}

void openBatch(const QString& path)
{
    Memory& m = memory();
    QMutexLocker locker(&m.lock);
    Batch& batch = m.batches[path];
    if (batch.openers++ > 0) {
        return;
    }
    const TextReadResult read = readTextLines(path);
    batch.read = read.status();
    batch.doc = IniDocument(read->textLines, read->bom);
}

Status commitBatch(const QString& path)
{
    Memory& m = memory();
    QMutexLocker locker(&m.lock);
    const auto it = m.batches.find(path);
    if (it == m.batches.end() || --it->openers > 0) {
        return Status::success();
    }
    const Batch batch = std::move(*it);
    m.batches.erase(it);
    m.readings.remove(path);
    if (!batch.read.ok()) {
        return batch.read;
    }
    return batch.written ? batch.doc.write(path) : Status::success();
}

} // namespace nox::settingsmemory
