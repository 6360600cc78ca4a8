#pragma once
// The settings the alarm checks read: the "alarm" and "bell" sections of
// "Nox.ini" and the time format of the popup ("popupwindow"/"format").
#include <QString>
#include <array>

#include "core/settings.h"

namespace nox
{

// The "alarm", "bell" and "popupwindow"/"format" keys of "Nox.ini"; the
// member initialisers are the keys' defaults.
struct AlarmSettings {
    bool alarmEnable = true; // "alarm"/"enable"
    QString alarmSound;      // "alarm"/"sound": wave file path, "Beep" or empty
    bool bellEnable = false; // "bell"/"enable"
    QString bellSound;       // "bell"/"sound"
    bool bell60 = false;     // a signal at every full hour
    QString msg60 = QStringLiteral("時報");
    bool bell30 = false; // a signal at minute 30 of every hour
    QString msg30 = QStringLiteral("時報");
    std::array<bool, 3> bell = {false, false, false}; // "bell1".."bell3"
    std::array<QString, 3> time = {QStringLiteral("10:30"), QStringLiteral("15:00"),
                                   QStringLiteral("17:00")}; // "time1".."time3", "H:mm"
    std::array<QString, 3> msg;                              // "msg1".."msg3"
    QString popupFormat = QStringLiteral("h\"時\"nn\"分\""); // "popupwindow"/"format"
};

// Reads every key above (one file access per key); missing keys take their
// defaults.
AlarmSettings readAlarmSettings(const Settings& settings);
// Writes every key above; false when the file could not be written (the
// keys written before the failure stay written).
bool writeAlarmSettings(Settings& settings, const AlarmSettings& values);

} // namespace nox
