#pragma once
// The running values of "Nox.ini" that the main window reads at start-up and
// writes back at shutdown. Every access opens and closes the file (IniFile);
// the member initialisers are the keys' defaults.
#include <QList>
#include <QRect>
#include <QString>

#include "core/color.h"
#include "core/settings.h"

namespace nox
{

struct TNoxSettings {
    // "window1"
    int left = 0, top = 0, width = 630, height = 460;
    int windowState = 0; // 0 normal, 1 minimised, 2 maximised
    int toolBarHeight = 30;
    bool memo = true;
    int memoHeight = 64;
    int viewMode = 1;
    QString dateFormat = QStringLiteral("yyyy/m/dd(aaa)");
    bool statusBar = false;
    bool taskBar = false;
    // "sked"
    int style = 0;
    bool halfFormat = true;
    int count = 5;
    int topIndex = 16;
    int leftDate = 0;
    // "monthview"
    int timeViewStyle = 1;
    int mvDefaultTime = 18;
    // "category"
    QString categoryFilter;
    // "search" (read at start-up for the search window)
    QString searchDateFormat = QStringLiteral("yyyy/m/dd(aaa)");
    bool endClose = true;
    bool searchColor = true;
    TColor searchColorValue = 0x00FFE9D7;
    QString layout = QStringLiteral("サンプル");
    bool duplicateDate = false;
    int noneSkedDate = 1;
    // "clock"
    int clockLeft = 560, clockTop = 397;
    bool clockVisible = true;
    QString clockFormat = QStringLiteral("hh:nn ampm");
    TColor clockBkColor = clBlack;
    TColor clockFgColor = clYellow;
    QString clockFontName; // empty: the day view's font name
    int clockFontSize = 9;
    int clockFontStyle = 1;
    bool clockFixedPos = true;
    int clockFixedPosIndex = 3;
    int clockXMargin = 2, clockYMargin = 2;
    // "popupwindow"
    TColor popupBkColor = 0x009DFFFF;
    TColor popupFgColor = clBlack;
    QString popupFontName = QStringLiteral("ＭＳ Ｐゴシック");
    int popupFontSize = 10;
    int popupFontStyle = 1;
    int popupWidth = 160, popupHeight = 120;
    QString popupFormat = QStringLiteral("h\"時\"nn\"分\"");
    int popupPos = 3;
    // "tempmemo"
    bool tempMemoVisible = false;
    // "koyomi": koyomi::Mark bits (六曜 1, old date 2, solar terms and
    // seasonal days 4); none by default.
    int calendarMarks = 0;

    // Window creation reads placement, tool bar, memo and view mode.
    void readWindow(const Settings& ini);
    // The rest (deferred start-up).
    void readStartup(const Settings& ini);
    void readClock(const Settings& ini);
    void readPopup(const Settings& ini);
};

// The placement "window1" keeps: the frame's top-left corner (start-up moves
// the frame there) and the client size (start-up gives the client that size).
// A minimised window stores its normal placement.
QRect storedWindowPlacement(const QRect& geometry, const QRect& frameGeometry, const QRect& normalGeometry,
                            bool minimized);

// A stored placement as the window can take it on these screens: kept when
// enough of it lies on one of `screens` (the available areas) to be seen and
// grabbed; otherwise shrunk to fit `primary` and moved into it: an axis on
// which it lay within `primary` keeps its place, the other is centred. An
// empty `screens` keeps it.
QRect placementOnScreens(const QRect& stored, const QList<QRect>& screens, const QRect& primary);
// The same on the screens the program runs on now.
QRect placementOnTheScreens(const QRect& stored);

} // namespace nox
