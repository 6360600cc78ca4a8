#pragma once
// The process's memory of its settings files, shared by every Settings and
// SettingsBatch (core/settings.h, core/settingsbatch.h): the last reading of
// each file, used while the file's stamp says it is unchanged, so that
// reading many keys costs one read of the file; and the batch open on a
// file, which collects the writes to it until it is committed.
#include <QString>

#include "core/status.h"

namespace nox::settingsmemory
{

// The value of the key, or `def`: from the open batch, else from the file
// as last read (read again when it changed).
QString value(const QString& path, const QString& section, const QString& key, const QString& def);

// True when a batch is open on the file; the write then goes into it.
bool writeToBatch(const QString& path, const QString& section, const QString& key, const QString& value,
                  bool* ok);
bool removeFromBatch(const QString& path, const QString& section, const QString& key, bool* ok);
// After a write past the memory: the next reading reads the file.
void forget(const QString& path);

// Opens a batch on the file, reading it; nested batches share one.
void openBatch(const QString& path);
// Writes what the batch collected (nothing when no write came) and closes
// it when the last opener commits. False when the file could not be read
// at the start of the batch or could not be written.
Status commitBatch(const QString& path);

} // namespace nox::settingsmemory
