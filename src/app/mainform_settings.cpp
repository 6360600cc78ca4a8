// TNoxMainForm: taking the values of the settings dialog's pages into the
// running window.
#include "alarm/alarmcenter.h"
#include "alarm/ui/popupsettings.h"
#include "app/clockpanel.h"
#include "app/datebanner.h"
#include "app/daymode.h"
#include "app/mainform.h"
#include "app/statuspanels.h"
#include "core/datetime.h"
#include "koyomi/koyomi.h"
#include "monthview/monthview.h"
#include "sked/skedcontrol.h"

namespace nox
{

TStyle TNoxMainForm::CurrentStyle() const
{
    return currentStyle();
}

QDate TNoxMainForm::SelectedDate() const
{
    const QDate selected = m_mode->selectedDate();
    return selected.isValid() ? selected : m_mode->currentDate();
}

void TNoxMainForm::ApplySettingsStyle(int index, const TStyle& style, bool halfFormat)
{
    const bool memoMarkChanged = style.DayKind.MemoMarkColor != m_dayKindColors.MemoMarkColor;
    m_settings.style = qBound(0, index, 2);
    applyStyleValues(style);
    if (halfFormat != m_settings.halfFormat) {
        SetHalfFormat(halfFormat);
    }
    if (memoMarkChanged) {
        for (int c = 0; c < skedCount(); ++c) {
            m_sked->Skeds(c)->RenderAll();
        }
    }
}

void TNoxMainForm::SetImageStrip(const ImageStrip& images)
{
    m_imageStrip = images;
    m_images.clear();
    for (int i = 0; i < m_imageStrip.count(); ++i) {
        m_images.append(QPixmap::fromImage(m_imageStrip.pixmap(i)));
    }
    m_sked->ImagesChanged();
    m_month->ImagesChanged();
    m_imagesChanged = true;
}

void TNoxMainForm::SetCategories(const QStringList& categories, const QString& filter)
{
    m_categories = categories;
    SetCategoryFilter(filter);
    ShowCategoryFilter();
}

QString TNoxMainForm::dayCaption(const QDate& date) const
{
    const QString marks = koyomi::captionText(date, m_settings.calendarMarks);
    const QString day = formatDateTime(m_settings.dateFormat, date);
    return marks.isEmpty() ? day : day + QLatin1Char(' ') + marks;
}

void TNoxMainForm::showCalendarOf(const QDate& date)
{
    m_banner->setCalendarText(koyomi::bannerText(date, m_settings.calendarMarks));
}

void TNoxMainForm::applyCalendarMarks()
{
    m_month->SetCalendarMarks(m_settings.calendarMarks);
    for (int i = 0; i < skedCount(); ++i) {
        m_sked->Skeds(i)->View().TopBar().setCaption(dayCaption(leftDate().addDays(i)));
    }
    m_mode->showStatus();
}

void TNoxMainForm::SetHolidays(const HolidayList& holidays)
{
    m_holidays = holidays;
    m_month->ClearHolidays();
    for (const auto& [key, holiday] : m_holidays.items()) {
        m_month->AddHoliday(holiday.Name, QDate::fromString(key, QStringLiteral("yyyy/MM/dd")));
    }
    ColorColumns();
    m_mode->showStatus();
}

void TNoxMainForm::ApplyPrintSettings(const TNoxSettings& s)
{
    m_settings.layout = s.layout;
    m_settings.searchDateFormat = s.searchDateFormat;
    m_settings.duplicateDate = s.duplicateDate;
    m_settings.noneSkedDate = s.noneSkedDate;
}

// The clock keeps where it is now, then takes the new look and is placed again.
void TNoxMainForm::ApplyClockSettings(const TNoxSettings& s)
{
    TNoxSettings& r = m_settings;
    if (m_clock) {
        r.clockLeft = m_clock->x();
        r.clockTop = m_clock->y();
    }
    r.clockVisible = s.clockVisible;
    r.clockFormat = s.clockFormat;
    r.clockBkColor = s.clockBkColor;
    r.clockFgColor = s.clockFgColor;
    r.clockFontName = s.clockFontName;
    r.clockFontSize = s.clockFontSize;
    r.clockFontStyle = s.clockFontStyle;
    r.clockFixedPos = s.clockFixedPos;
    r.clockFixedPosIndex = s.clockFixedPosIndex;
    r.clockXMargin = s.clockXMargin;
    r.clockYMargin = s.clockYMargin;
    if (m_started) {
        buildClock();
    }
}

void TNoxMainForm::ApplyAlarmSettings(const AlarmSettings& s)
{
    AlarmSettings running = s;
    running.popupFormat = m_settings.popupFormat;
    m_alarms->setSettings(running);
}

void TNoxMainForm::ApplyPopupSettings(const TPopupSettings& s)
{
    m_settings.popupBkColor = s.bkcolor;
    m_settings.popupFgColor = s.fgcolor;
    m_settings.popupFontName = s.fontname;
    m_settings.popupFontSize = s.fontsize;
    m_settings.popupFontStyle = s.fontstyle;
    m_settings.popupWidth = s.width;
    m_settings.popupHeight = s.height;
    m_settings.popupFormat = s.format;
    m_settings.popupPos = s.pos;
    AlarmSettings alarms = m_alarms->settings();
    alarms.popupFormat = s.format;
    m_alarms->setSettings(alarms);
}

void TNoxMainForm::ApplyOtherSettings(const TNoxSettings& s)
{
    TNoxSettings& r = m_settings;
    r.endClose = s.endClose;
    r.searchColor = s.searchColor;
    r.searchColorValue = s.searchColorValue;
    r.topIndex = s.topIndex;
    r.mvDefaultTime = s.mvDefaultTime;
    r.leftDate = s.leftDate;
    if (s.taskBar != r.taskBar) {
        r.taskBar = s.taskBar;
        if (s.taskBar) {
            AddTrayIcon();
        } else {
            RemoveTrayIcon();
        }
    }
    if (s.dateFormat != r.dateFormat) {
        r.dateFormat = s.dateFormat;
        for (int i = 0; i < skedCount(); ++i) {
            m_sked->Skeds(i)->View().TopBar().setCaption(dayCaption(leftDate().addDays(i)));
        }
    }
    if (s.calendarMarks != r.calendarMarks) {
        r.calendarMarks = s.calendarMarks;
        applyCalendarMarks();
    }
    if (s.statusBar != r.statusBar) {
        r.statusBar = s.statusBar;
        m_status->setOwnerDraw(s.statusBar);
        updateStatusColors();
    }
}

void TNoxMainForm::RepaintStatusBar()
{
    updateStatusColors();
    m_status->update();
}

} // namespace nox
