#pragma once
// What the search window needs of the main window that owns it: the store,
// the lists and settings the window shows, and the main window's own
// commands (going to a schedule, refreshing its views, the settings dialog).
// The main window's side implements it (app/searchlink.h); tests may too.
#include <QDate>
#include <QList>
#include <QPixmap>
#include <QString>
#include <QStringList>

#include "core/color.h"
#include "search/rendertemplate.h"

class QWidget;

namespace nox
{

class DayLineSource;
class HolidayList;
class ScheduleBook;

// The settings of "Nox.ini" section "search" (and the date format of the
// day view) as the main window holds them.
struct TSearchSettings {
    QString dateFormat = QStringLiteral("yyyy/m/dd(aaa)"); // "window1": the list's dates
    bool endClose = true;
    bool searchColor = true;
    TColor searchColorValue = 0x00FFE9D7;
    QString layout = QStringLiteral("サンプル");
    PrintSettings print;
};

class TSearchHost
{
public:
    virtual ~TSearchHost() = default;

    // The main window: the owner the search window is placed by.
    virtual QWidget* ownerWindow() = 0;
    virtual QString dataFolder() = 0;
    // The search window's "Nox.ini".
    virtual QString iniPath() = 0;
    // Reads and changes the schedules (delete, bulk change).
    virtual ScheduleBook& book() = 0;
    // The day files the search reads (may keep them cached between searches).
    virtual DayLineSource& days() = 0;
    virtual TSearchSettings settings() = 0;
    virtual QStringList categories() = 0;
    virtual QString categoryFilter() = 0;
    virtual QList<QPixmap> images() = 0;
    virtual const HolidayList& holidays() = 0;
    virtual TColor viewFontColor() = 0;
    virtual QString printFolder() = 0;

    // Switches the main window's category filter to `category` when a filter
    // is set and the category is another non-empty one, goes to `date` and
    // selects the schedule `id`; when found, shows and focuses the main
    // window. Returns whether the schedule was found.
    virtual bool openSchedule(const QDate& date, qint32 id, const QString& category) = 0;
    // The main window reloads its views after day files changed.
    virtual void refreshViews() = 0;
    // Whether the settings dialog exists, and opening it on its print page.
    virtual bool hasPrintSettings() = 0;
    virtual void openPrintSettings() = 0;
};

} // namespace nox
