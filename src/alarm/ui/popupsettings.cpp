#include "alarm/ui/popupsettings.h"

#include "core/inifile.h"
#include "core/settings.h"

namespace nox
{

namespace
{

const QString kSection = QStringLiteral("popupwindow");

TPopupSettings& running()
{
    static TPopupSettings settings;
    return settings;
}

// The key's number, or `def` when it is missing or outside the key's range.
int readRanged(const IniFile& ini, Key key, int def)
{
    const SettingDef& d = settingDef(key);
    const int v = ini.readInteger(kSection, QString::fromLatin1(d.key), def);
    return v >= d.low && v <= d.high ? v : def;
}

} // namespace

TPopupSettings ReadPopupSettings(const IniFile& ini, const QString& fontName)
{
    TPopupSettings d;
    d.fontname = fontName;
    TPopupSettings s;
    s.bkcolor = ini.readColor(kSection, QStringLiteral("bkcolor"), d.bkcolor);
    s.fgcolor = ini.readColor(kSection, QStringLiteral("fgcolor"), d.fgcolor);
    s.fontname = ini.readString(kSection, QStringLiteral("fontname"), d.fontname);
    s.fontsize = readRanged(ini, Key::PopupFontSize, d.fontsize);
    s.fontstyle = readRanged(ini, Key::PopupFontStyle, d.fontstyle);
    s.width = readRanged(ini, Key::PopupWidth, d.width);
    s.height = readRanged(ini, Key::PopupHeight, d.height);
    s.format = ini.readString(kSection, QStringLiteral("format"), d.format);
    s.pos = readRanged(ini, Key::PopupPos, d.pos);
    return s;
}

bool WritePopupSettings(IniFile& ini, const TPopupSettings& s)
{
    bool ok = ini.writeColor(kSection, QStringLiteral("bkcolor"), s.bkcolor);
    ok = ini.writeColor(kSection, QStringLiteral("fgcolor"), s.fgcolor) && ok;
    ok = ini.writeString(kSection, QStringLiteral("fontname"), s.fontname) && ok;
    ok = ini.writeInteger(kSection, QStringLiteral("fontsize"), s.fontsize) && ok;
    ok = ini.writeInteger(kSection, QStringLiteral("fontstyle"), s.fontstyle) && ok;
    ok = ini.writeInteger(kSection, QStringLiteral("width"), s.width) && ok;
    ok = ini.writeInteger(kSection, QStringLiteral("height"), s.height) && ok;
    ok = ini.writeString(kSection, QStringLiteral("format"), s.format) && ok;
    ok = ini.writeInteger(kSection, QStringLiteral("pos"), s.pos) && ok;
    return ok;
}

const TPopupSettings& PopupSettings()
{
    return running();
}

void SetPopupSettings(const TPopupSettings& settings)
{
    running() = settings;
}

} // namespace nox
