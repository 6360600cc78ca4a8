#pragma once
// SettingsBatch: for the many writes of shutdown. While a batch is open on a
// settings file, the writes of every Settings on that file collect in memory
// (and reads see them); commit() writes them with one write of the file,
// which then holds exactly what the writes one by one would have left. Each
// write during the batch reports success; the commit reports the outcome.
//
//   SettingsBatch batch(iniPath);
//   Settings(iniPath).writeInt(Key::SkedCount, 7);   // ... and many more
//   if (const Status written = batch.commit(); !written) { ... }
#include <QString>

#include "core/status.h"

namespace nox
{

class SettingsBatch
{
public:
    explicit SettingsBatch(QString iniPath);
    // Commits when commit() was not called.
    ~SettingsBatch();
    SettingsBatch(const SettingsBatch&) = delete;
    SettingsBatch& operator=(const SettingsBatch&) = delete;

    // Writes the collected changes (nothing when there are none) and ends
    // the batch. Fails when the file could not be read when the batch began
    // (then nothing is written) or could not be written.
    Status commit();

private:
    QString m_path;
    bool m_open = true;
};

} // namespace nox
