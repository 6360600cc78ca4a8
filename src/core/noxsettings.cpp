#include "core/noxsettings.h"

#include <QGuiApplication>
#include <QScreen>

namespace nox
{

void TNoxSettings::readWindow(const Settings& ini)
{
    left = ini.readInt(Key::Window1Left, left);
    top = ini.readInt(Key::Window1Top, top);
    width = ini.readInt(Key::Window1Width, width);
    height = ini.readInt(Key::Window1Height, height);
    windowState = ini.readInt(Key::Window1WindowState, windowState);
    toolBarHeight = ini.readInt(Key::Window1ToolbarHeight, toolBarHeight);
    memo = ini.readBool(Key::Window1Memo, memo);
    memoHeight = ini.readInt(Key::Window1MemoHeight, memoHeight);
    viewMode = ini.readInt(Key::Window1ViewMode, viewMode);
    style = ini.readInt(Key::SkedStyle, style);
    halfFormat = ini.readBool(Key::SkedHalfFormat, halfFormat);
    count = ini.readInt(Key::SkedCount, count);
    topIndex = ini.readInt(Key::SkedTopIndex, topIndex);
}

void TNoxSettings::readStartup(const Settings& ini)
{
    dateFormat = ini.readString(Key::Window1DateFormat, dateFormat);
    searchDateFormat = ini.readString(Key::SearchDateFormat, searchDateFormat);
    leftDate = ini.readInt(Key::SkedLeftDate, leftDate);
    categoryFilter = ini.readString(Key::CategorySelect, categoryFilter);
    statusBar = ini.readBool(Key::Window1StatusBar, statusBar);
    timeViewStyle = ini.readInt(Key::MonthViewTimeViewStyle, timeViewStyle);
    mvDefaultTime = ini.readInt(Key::MonthViewDefaultTime, mvDefaultTime);
    taskBar = ini.readBool(Key::Window1TaskBar, taskBar);
    endClose = ini.readBool(Key::SearchEndClose, endClose);
    searchColor = ini.readBool(Key::SearchSearchColor, searchColor);
    searchColorValue = ini.readColor(Key::SearchSearchColorValue, searchColorValue);
    layout = ini.readString(Key::SearchLayout, layout);
    duplicateDate = ini.readBool(Key::SearchDuplicateDate, duplicateDate);
    noneSkedDate = ini.readInt(Key::SearchNoneSkedDate, noneSkedDate);
    tempMemoVisible = ini.readBool(Key::TempMemoVisible, tempMemoVisible);
    calendarMarks = (ini.readBool(Key::KoyomiRokuyo) ? 1 : 0) | (ini.readBool(Key::KoyomiLunar) ? 2 : 0) |
                    (ini.readBool(Key::KoyomiSeasonal) ? 4 : 0);
    readClock(ini);
    readPopup(ini);
}

void TNoxSettings::readClock(const Settings& ini)
{
    clockLeft = ini.readInt(Key::ClockLeft, clockLeft);
    clockTop = ini.readInt(Key::ClockTop, clockTop);
    clockVisible = ini.readBool(Key::ClockVisible, clockVisible);
    clockFormat = ini.readString(Key::ClockFormat, clockFormat);
    clockBkColor = ini.readColor(Key::ClockBkColor, clockBkColor);
    clockFgColor = ini.readColor(Key::ClockFgColor, clockFgColor);
    clockFontName = ini.readString(Key::ClockFontName, clockFontName);
    clockFontSize = ini.readInt(Key::ClockFontSize, clockFontSize);
    clockFontStyle = ini.readInt(Key::ClockFontStyle, clockFontStyle);
    clockFixedPos = ini.readBool(Key::ClockFixedPos, clockFixedPos);
    clockFixedPosIndex = ini.readInt(Key::ClockFixedPosIndex, clockFixedPosIndex);
    clockXMargin = ini.readInt(Key::ClockXMargin, clockXMargin);
    clockYMargin = ini.readInt(Key::ClockYMargin, clockYMargin);
}

void TNoxSettings::readPopup(const Settings& ini)
{
    popupBkColor = ini.readColor(Key::PopupBkColor, popupBkColor);
    popupFgColor = ini.readColor(Key::PopupFgColor, popupFgColor);
    popupFontName = ini.readString(Key::PopupFontName, popupFontName);
    popupFontSize = ini.readInt(Key::PopupFontSize, popupFontSize);
    popupFontStyle = ini.readInt(Key::PopupFontStyle, popupFontStyle);
    popupWidth = ini.readInt(Key::PopupWidth, popupWidth);
    popupHeight = ini.readInt(Key::PopupHeight, popupHeight);
    popupFormat = ini.readString(Key::PopupFormat, popupFormat);
    popupPos = ini.readInt(Key::PopupPos, popupPos);
}

QRect storedWindowPlacement(const QRect& geometry, const QRect& frameGeometry, const QRect& normalGeometry,
                            bool minimized)
{
    const QPoint frameOffset = geometry.topLeft() - frameGeometry.topLeft();
    const QRect client = minimized ? normalGeometry : geometry;
    return {client.topLeft() - frameOffset, client.size()};
}

namespace
{
// A window less visible than this cannot be found or dragged back by the user.
constexpr int kVisibleWidth = 100;
constexpr int kVisibleHeight = 40;
} // namespace

QRect placementOnScreens(const QRect& stored, const QList<QRect>& screens, const QRect& primary)
{
    for (const QRect& screen : screens) {
        const QRect seen = screen.intersected(stored);
        if (seen.width() >= qMin(kVisibleWidth, stored.width()) &&
            seen.height() >= qMin(kVisibleHeight, stored.height())) {
            return stored;
        }
    }
    if (screens.isEmpty() || primary.isEmpty()) {
        return stored;
    }
    // On each axis the window keeps its place when it lies within the screen
    // there, else it is centred (which leaves room for the frame).
    const QSize size = stored.size().boundedTo(primary.size());
    auto axis = [](int pos, int length, int start, int extent) {
        return pos >= start && pos + length <= start + extent ? pos : start + (extent - length) / 2;
    };
    return QRect(QPoint(axis(stored.x(), size.width(), primary.x(), primary.width()),
                        axis(stored.y(), size.height(), primary.y(), primary.height())),
                 size);
}

QRect placementOnTheScreens(const QRect& stored)
{
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens()) {
        screens << screen->availableGeometry();
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    return placementOnScreens(stored, screens, primary ? primary->availableGeometry() : QRect());
}

} // namespace nox
