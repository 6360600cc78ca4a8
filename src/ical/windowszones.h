#pragma once
// Windows time-zone names ("Tokyo Standard Time") as files written on
// Windows put them into TZID, mapped to the IANA zone of their territory
// "001" in CLDR's windowsZones table.
#include <QByteArray>
#include <QString>

namespace nox::ical
{

// The IANA name of a Windows zone name (exact, case-insensitive); empty when
// the table does not have it.
QByteArray ianaForWindowsZone(const QString& windowsName);

} // namespace nox::ical
