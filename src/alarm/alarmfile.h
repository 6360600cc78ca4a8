#pragma once
// "alarm.nox": the alarm list carried from one run to the next. One line per
// entry, key TAB ID TAB Kind, in the list's order; the file exists only while
// there is something to keep.
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "alarm/alarmlist.h"

#include "core/status.h"

namespace nox
{

QString alarmFilePath(const QString& dataFolder);

// The status fails when the file exists but could not be read; the value is
// one message per line that was not an alarm (kept).
using AlarmLoadResult = Result<QStringList>;

// Replaces the list's contents with the entries of "alarm.nox" in
// `dataFolder`. A missing file gives an empty list. A line whose ID is not a
// whole number or whose key is not a valid "yyyy/MM/dd hh:nn" names no
// schedule an alarm could be rebuilt for: it is reported in `problems` and
// kept, so that the next save writes it back with its bytes after the
// entries (what it was meant to be is for the user to decide, as in every
// other file). A missing or non-numeric Kind reads as 0. Entries of past
// minutes are kept.
AlarmLoadResult LoadAlarmList(AlarmList& list, const QString& dataFolder);

// Writes the entries whose key is not before the minute of `now`, in list
// order, followed by the kept lines; deletes the file when there is nothing
// to write. The file is replaced atomically. Fails when writing or deleting
// failed, or when the file could not be read at loading (it is then left as
// it is rather than losing its alarms).
Status SaveAlarmList(const AlarmList& list, const QString& dataFolder, const QDateTime& now);

} // namespace nox
