#pragma once
// The "popupwindow" keys of "Nox.ini": how popup message windows look and
// where they appear. The member initialisers are the keys' defaults.
#include <QString>

#include "core/color.h"

namespace nox
{

class IniFile;

struct TPopupSettings {
    TColor bkcolor = 0x009DFFFF; // pale yellow
    TColor fgcolor = clBlack;
    QString fontname = QStringLiteral("ＭＳ Ｐゴシック");
    int fontsize = 10;
    int fontstyle = 1; // fsBold | fsItalic | fsUnderline | fsStrikeOut; low four bits count
    int width = 160;
    int height = 120; // reached after growing
    QString format = QStringLiteral("h\"時\"nn\"分\"");
    int pos = 3; // TPopupCorner

    bool operator==(const TPopupSettings&) const = default;
};

// Section "popupwindow". `fontName` is the default face (the main window's).
TPopupSettings ReadPopupSettings(const IniFile& ini,
                                 const QString& fontName = QStringLiteral("ＭＳ Ｐゴシック"));
// Returns false when a write failed.
bool WritePopupSettings(IniFile& ini, const TPopupSettings& settings);

// The running settings every new popup takes when it is created.
const TPopupSettings& PopupSettings();
void SetPopupSettings(const TPopupSettings& settings);

} // namespace nox
