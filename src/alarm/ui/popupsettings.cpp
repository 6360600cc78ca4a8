#include "alarm/ui/popupsettings.h"

#include "core/inifile.h"

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

} // namespace

TPopupSettings ReadPopupSettings(const IniFile& ini, const QString& fontName)
{
    TPopupSettings d;
    d.fontname = fontName;
    TPopupSettings s;
    s.bkcolor = ini.readColor(kSection, QStringLiteral("bkcolor"), d.bkcolor);
    s.fgcolor = ini.readColor(kSection, QStringLiteral("fgcolor"), d.fgcolor);
    s.fontname = ini.readString(kSection, QStringLiteral("fontname"), d.fontname);
    s.fontsize = ini.readInteger(kSection, QStringLiteral("fontsize"), d.fontsize);
    s.fontstyle = ini.readInteger(kSection, QStringLiteral("fontstyle"), d.fontstyle);
    s.width = ini.readInteger(kSection, QStringLiteral("width"), d.width);
    s.height = ini.readInteger(kSection, QStringLiteral("height"), d.height);
    s.format = ini.readString(kSection, QStringLiteral("format"), d.format);
    s.pos = ini.readInteger(kSection, QStringLiteral("pos"), d.pos);
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
