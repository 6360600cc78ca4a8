#pragma once
// What the settings dialog needs from the program: the running values its
// pages are filled from, and the steps that put applied pages into effect.
// The dialog writes the files itself ("Nox.ini", "style.ini", the holiday and
// category lists) and then calls the host; the host only changes what runs.
// The main window provides the program's host; tests provide their own.
#include <QDate>
#include <QString>
#include <QStringList>

#include "alarm/alarmsettings.h"
#include "alarm/ui/popupsettings.h"
#include "appearance/style.h"
#include "core/noxsettings.h"
#include "store/holidays.h"
#include "store/imagestrip.h"

namespace nox
{

class TSettingsHost
{
public:
    virtual ~TSettingsHost() = default;

    // The page the dialog with all pages showed when it closed last: it
    // opens there again while this host lives (1 = the style page).
    int rememberedPage = 1;

    // --- filling the pages
    virtual TNoxSettings RunningSettings() const = 0;
    // The main window's current look.
    virtual TStyle CurrentStyle() const = 0;
    virtual ImageStrip Images() const = 0;
    virtual QStringList Categories() const = 0;
    virtual HolidayList Holidays() const = 0;
    // The date the main window has selected (the holiday page starts there).
    virtual QDate SelectedDate() const = 0;
    virtual AlarmSettings RunningAlarmSettings() const = 0;

    // --- applying, page by page (the files are written already)
    // Active style index, the previewed look and the ruler's half-hour switch.
    virtual void ApplyStyle(int index, const TStyle& style, bool halfFormat) = 0;
    // The strip is saved at shutdown.
    virtual void ApplyImages(const ImageStrip& images) = 0;
    virtual void ApplyCategories(const QStringList& categories, const QString& filter) = 0;
    virtual void ApplyHolidays(const HolidayList& holidays) = 0;
    // The "search" print keys of `s` (layout, dateformat, duplicatedate, noneskeddate).
    virtual void ApplyPrint(const TNoxSettings& s) = 0;
    // The "clock" keys of `s`.
    virtual void ApplyClock(const TNoxSettings& s) = 0;
    virtual void ApplyAlarms(const AlarmSettings& s) = 0;
    virtual void ApplyPopup(const TPopupSettings& s) = 0;
    // The page "その他": tray, status bar, date format, start-up values, search.
    virtual void ApplyOther(const TNoxSettings& s) = 0;
    // After the style page or a full dialog.
    virtual void RepaintStatusBar() = 0;
    // After all pages of one "OK" were applied; `pages` in page-number order.
    virtual void SettingsApplied(const QList<int>& pages) { Q_UNUSED(pages); }
};

} // namespace nox
