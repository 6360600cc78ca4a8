#include "alarm/alarmsettings.h"

namespace nox
{

namespace
{

constexpr Key kBellKeys[3] = {Key::BellBell1, Key::BellBell2, Key::BellBell3};
constexpr Key kTimeKeys[3] = {Key::BellTime1, Key::BellTime2, Key::BellTime3};
constexpr Key kMsgKeys[3] = {Key::BellMsg1, Key::BellMsg2, Key::BellMsg3};

} // namespace

AlarmSettings readAlarmSettings(const Settings& settings)
{
    AlarmSettings v;
    v.alarmEnable = settings.readBool(Key::AlarmEnable);
    v.alarmSound = settings.readString(Key::AlarmSound);
    v.bellEnable = settings.readBool(Key::BellEnable);
    v.bellSound = settings.readString(Key::BellSound);
    v.bell60 = settings.readBool(Key::BellBell60);
    v.msg60 = settings.readString(Key::BellMsg60);
    v.bell30 = settings.readBool(Key::BellBell30);
    v.msg30 = settings.readString(Key::BellMsg30);
    for (int i = 0; i < 3; ++i) {
        v.bell[i] = settings.readBool(kBellKeys[i]);
        v.time[i] = settings.readString(kTimeKeys[i]);
        v.msg[i] = settings.readString(kMsgKeys[i]);
    }
    v.popupFormat = settings.readString(Key::PopupFormat);
    return v;
}

bool writeAlarmSettings(Settings& settings, const AlarmSettings& v)
{
    bool ok = settings.writeBool(Key::AlarmEnable, v.alarmEnable) &&
              settings.writeString(Key::AlarmSound, v.alarmSound) &&
              settings.writeBool(Key::BellEnable, v.bellEnable) &&
              settings.writeString(Key::BellSound, v.bellSound) &&
              settings.writeBool(Key::BellBell60, v.bell60) &&
              settings.writeString(Key::BellMsg60, v.msg60) &&
              settings.writeBool(Key::BellBell30, v.bell30) && settings.writeString(Key::BellMsg30, v.msg30);
    for (int i = 0; ok && i < 3; ++i) {
        ok = settings.writeBool(kBellKeys[i], v.bell[i]) && settings.writeString(kTimeKeys[i], v.time[i]) &&
             settings.writeString(kMsgKeys[i], v.msg[i]);
    }
    return ok && settings.writeString(Key::PopupFormat, v.popupFormat);
}

} // namespace nox
