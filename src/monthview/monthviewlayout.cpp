// Model -> layout: turns the month, the items and the appearance into a
// MonthLayout. Runs whenever the layout is needed after a change.
#include "core/datetime.h"
#include "core/textline.h"
#include "koyomi/koyomi.h"
#include "monthview/monthview.h"
#include "monthview/monthviewlayout_p.h"
#include "widgets/repeatmark.h"

#include <QFontMetrics>

namespace nox::monthview
{

namespace
{

constexpr int kTopLeft = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
constexpr int kTopRight = Qt::AlignRight | Qt::AlignTop | Qt::TextSingleLine;
// More characters than the widest cell shows: a longer text would only cost
// shaping time at every paint (the item keeps its whole text).
constexpr qsizetype kMaxBarChars = 512;
// 六曜 and the old date, in percent of the control's font.
constexpr int kMarkSizePercent = 80;
// The fonts of markTextWidth: the control's, the marks' small one, the day
// text's (plus its TFontStyles).
constexpr int kMarkFontPlain = 0;
constexpr int kMarkFontSmall = 1;
constexpr int kMarkFontDay = 2;
// The room a cell needs besides three lines (the date row, the line of the
// 節気・雑節 name under it and a bar) for the name to go under the date: the
// gap above the bars and a bar's own padding.
constexpr int kNameLineRoom = 2 + 4;

QRect ltrb(int l, int t, int r, int b)
{
    return QRect(l, t, r - l, b - t);
}

int headerFlags(TAlignment alignment, TTextLayout layout)
{
    int flags = Qt::TextSingleLine;
    flags |= alignment == taLeftJustify    ? Qt::AlignLeft
             : alignment == taRightJustify ? Qt::AlignRight
                                           : Qt::AlignHCenter;
    flags |= layout == tlTop ? Qt::AlignTop : layout == tlBottom ? Qt::AlignBottom : Qt::AlignVCenter;
    return flags;
}

} // namespace

QFont TCustomMonthView::styledFont(TFontStyles styles) const
{
    QFont f = font();
    applyFontStyles(f, styles);
    return f;
}

void TCustomMonthView::computeMetrics() const
{
    const QFontMetrics fm(font());
    m_metrics.lineHeight = fm.height() + qMax(0, fm.leading());
    m_metrics.averageCharWidth = fm.averageCharWidth();
    const QFontMetrics bold(styledFont(fsBold));
    m_metrics.timeWidth = bold.horizontalAdvance(
        formatDateTime(QStringLiteral("h:mm"), QDateTime(QDate(2000, 1, 1), QTime(23, 59))));
    m_metrics.repeatMarkWidth = repeatMarkWidth(fm);
    m_markWidths.clear();
    m_metricsDirty = false;
}

// Widths of the date row's texts, kept until the font changes: a month
// repeats the same few hundred texts, and measuring one shapes it.
int TCustomMonthView::markTextWidth(const QString& text, int fontKind) const
{
    if (text.isEmpty()) {
        return 0;
    }
    const std::pair<int, QString> key(fontKind, text);
    auto it = m_markWidths.constFind(key);
    if (it == m_markWidths.constEnd()) {
        const QFont f = fontKind == kMarkFontSmall   ? scaledFont(font(), kMarkSizePercent)
                        : fontKind == kMarkFontPlain ? font()
                                                     : styledFont(TFontStyles(fontKind - kMarkFontDay));
        it = m_markWidths.insert(key, fontKind == kMarkFontSmall ? monthview::markTextWidth(text, f)
                                                                 : QFontMetrics(f).horizontalAdvance(text));
    }
    return *it;
}

QString TCustomMonthView::timeText(const TMonthViewItem* item) const
{
    const QString pattern = QStringLiteral("h:mm");
    QString text = formatDateTime(pattern, item->StartDateTime());
    if (m_view->TimeViewStyle() == mtvSpan) {
        text += QLatin1Char('-') + formatDateTime(pattern, item->EndDateTime());
    }
    return text;
}

void TCustomMonthView::ensureLayout() const
{
    if (m_metricsDirty) {
        computeMetrics();
    }
    if (!m_layoutDirty && m_layout) {
        return;
    }
    if (!m_layout) {
        m_layout = std::make_unique<MonthLayout>();
    }
    MonthLayout& l = *m_layout;
    const TView& v = *m_view;
    const TMonthViewTopBar& bar = v.TopBar();
    l = MonthLayout();
    l.size = ClientSize();
    l.background = m_color;
    l.lineWidth = v.LineWidth();
    l.lineColor = v.LineColor();
    l.headerVisible = bar.Visible();
    l.header = QRect(0, 0, l.size.width(), bar.Height());
    l.headerColor = bar.Color();
    const int top = bar.Visible() ? bar.Height() : 0;
    l.grid = makeGrid(m_colRates, m_rowRates, l.size.width(), l.size.height(), top, l.lineWidth);

    layoutHeader(l);
    layoutCells(l);
    m_layoutDirty = false;
}

void TCustomMonthView::layoutHeader(MonthLayout& l) const
{
    const TMonthViewTopBar& bar = m_view->TopBar();
    const QFont font = styledFont(bar.Font().Style());
    const QDate sunday(2006, 1, 1); // any Sunday
    for (int i = 0; i < kColCount; ++i) {
        TextRun& run = l.weekdays[i];
        run.rect = ltrb(l.grid.x[i] + l.lineWidth, 1, l.grid.x[i + 1], bar.Height());
        run.text = elidedLine(formatDateTime(QStringLiteral("aaaa"), sunday.addDays(i)), font,
                              qMax(0, run.rect.width()));
        run.flags = headerFlags(bar.Alignment(), bar.Layout());
        run.color = bar.Font().Color();
        run.style = bar.Font().Style();
    }
}

void TCustomMonthView::layoutCells(MonthLayout& l) const
{
    for (int i = 0; i < m_items->Count(); ++i) {
        m_items->Item(i)->m_itemRect = QRect();
    }
    int running = m_items->Count() > 0 ? 0 : -1;
    for (int cell = 0; cell < kCellCount; ++cell) {
        layoutCell(l, cell, running);
    }
}

void TCustomMonthView::cellColors(int cell, const QDate& date, const QString& holiday, TColor& bk,
                                  TColor& fg) const
{
    const TView& v = *m_view;
    const bool isHoliday = !holiday.isEmpty();
    if (!m_frame.inMonth(cell)) {
        bk = v.OtherMonthBKColor();
        fg = isHoliday ? v.HolidayFGColor() : v.OtherMonthFGColor();
    } else if (isHoliday) {
        bk = v.HolidayBKColor();
        fg = v.HolidayFGColor();
    } else if (date.dayOfWeek() == Qt::Sunday) {
        bk = v.SundayBKColor();
        fg = v.SundayFGColor();
    } else if (date.dayOfWeek() == Qt::Saturday) {
        bk = v.SaturdayBKColor();
        fg = v.SaturdayFGColor();
    } else {
        bk = v.WeekDayBKColor();
        fg = v.WeekDayFGColor();
    }
}

void TCustomMonthView::layoutCell(MonthLayout& l, int cell, int& running) const
{
    CellLayout& c = l.cells[cell];
    const int row = cell / kColCount;
    const int col = cell % kColCount;
    const int lw = l.lineWidth;
    c.inner = ltrb(l.grid.x[col] + lw, l.grid.y[row] + lw, l.grid.x[col + 1], l.grid.y[row + 1]);
    const QDate date = CellDate(cell);
    layoutCellFace(c, cell, date);
    layoutCellItems(l, cell, date, running);
    // In a cell too low for the date row and the expand marker the marker
    // wins over the calendar marks.
    if (c.expandRect.isValid()) {
        for (TextRun* mark : {&c.seasonal, &c.lunar, &c.rokuyo}) {
            if (mark->rect.intersects(c.expandRect)) {
                *mark = TextRun();
            }
        }
    }
}

void TCustomMonthView::layoutCellFace(CellLayout& c, int cell, const QDate& date) const
{
    const TView& v = *m_view;
    const QString holiday = HolidayName(date);
    TColor fg = clBlack;
    cellColors(cell, date, holiday, c.background, fg);
    if (date == Today()) {
        c.todayFrame = c.inner;
        c.todayLineWidth = v.TodayLineWidth();
        c.todayColor = v.TodayColor();
    }
    const int m = v.DayTextMargin();
    const QRect text = c.inner.adjusted(m, m, -m, -m);
    const bool focused = cell == m_selectedCell || cell == m_dropTargetCell;
    if (focused) {
        c.focusRect = text;
        c.focusRect.setHeight(qMin(m_metrics.lineHeight, text.height()));
        c.focusColor = v.FocusColor();
    }
    if (!holiday.isEmpty()) {
        c.holiday.rect = text;
        c.holiday.flags = kTopLeft;
        c.holiday.color = focused ? v.FocusFont().Color() : fg;
        c.holiday.style = fontStylesOf(font());
        c.holiday.text = elidedLine(holiday, font(), qMax(0, text.width()));
    }
    const bool point = cell == 0 || cell == m_frame.firstCell || cell == m_frame.endCell;
    const QString day = formatDateTime(point ? v.DayTextFormat_Point() : v.DayTextFormat(), date);
    c.dayText.rect = text;
    c.dayText.flags = kTopRight;
    c.dayText.color = focused ? v.FocusFont().Color() : fg;
    c.dayText.style = focused ? v.FocusFont().Style() : v.DayTextFont().Style();
    c.dayText.text =
        elidedLine(day, styledFont(c.dayText.style), qMax(0, text.width()));
    if (m_calendarMarks != 0 && koyomi::isSupported(date) && koyomi::isComputed(date.year())) {
        layoutCalendarMarks(c, text, date, m_frame.inMonth(cell) ? v.WeekDayFGColor() : fg, focused);
    }
}

// The date row shared by the day number, the holiday name and the calendar
// marks (layoutDateRow); 六曜 and the old date are small and muted.
void TCustomMonthView::layoutCalendarMarks(CellLayout& c, const QRect& text, const QDate& date, TColor plain,
                                           bool focused) const
{
    const TView& v = *m_view;
    const koyomi::DayInfo info = koyomi::dayInfo(date);
    const TColor muted = focused ? v.FocusFont().Color() : v.OtherMonthFGColor();
    const auto mark = [&](TextRun& run, const QString& s, TColor color, int percent) {
        run.text = s;
        run.color = color;
        run.style = fontStylesOf(font());
        run.sizePercent = percent;
        run.flags = (&run == &c.rokuyo || &run == &c.lunar ? Qt::AlignRight | Qt::AlignVCenter : kTopLeft) |
                    Qt::TextSingleLine;
    };
    if (m_calendarMarks & koyomi::MarkRokuyo) {
        mark(c.rokuyo, koyomi::rokuyoName(info.rokuyo), muted, kMarkSizePercent);
    }
    if (m_calendarMarks & koyomi::MarkLunar) {
        mark(c.lunar, QStringLiteral("旧") + info.lunar.text(), muted, kMarkSizePercent);
    }
    // The 節気・雑節 name goes on a line of its own under the date, right
    // under the day number, where the cell still holds a bar below that
    // line; else it shares the date row.
    const int lh = m_metrics.lineHeight;
    const bool nameBelow = (m_calendarMarks & koyomi::MarkSeasonal) && !info.seasonal.isEmpty() &&
                           c.inner.height() >= 3 * lh + kNameLineRoom + v.DayTextMargin();
    if (m_calendarMarks & koyomi::MarkSeasonal) {
        mark(c.seasonal, info.seasonal.join(QStringLiteral("・")),
             focused && !nameBelow ? v.FocusFont().Color() : plain, 100);
    }
    if (nameBelow) {
        c.nameLineHeight = lh + v.DayTextMargin(); // the name's line ends a margin below the date row
        c.seasonal.rect = QRect(text.left(), text.top() + lh, text.width(), qMin(lh, text.height() - lh));
        c.seasonal.flags = kTopRight;
        c.seasonal.text = elidedLine(c.seasonal.text, font(), qMax(0, text.width()));
    }
    DateRowWidths w;
    const QString holiday = c.holiday.text.isEmpty() ? QString() : HolidayName(date);
    w.day = markTextWidth(c.dayText.text, kMarkFontDay + int(c.dayText.style));
    w.holiday = markTextWidth(holiday, kMarkFontPlain);
    w.seasonal = nameBelow ? 0 : markTextWidth(c.seasonal.text, kMarkFontPlain);
    w.lunar = markTextWidth(c.lunar.text, kMarkFontSmall);
    w.rokuyo = markTextWidth(c.rokuyo.text, kMarkFontSmall);
    const QRect row(text.left(), text.top(), text.width(), qMin(m_metrics.lineHeight, text.height()));
    const DateRow r = layoutDateRow(row, w, qMax(2, m_metrics.averageCharWidth / 2),
                                    markTextWidth(QStringLiteral("あ"), kMarkFontPlain));
    c.dayText.rect = r.day;
    c.rokuyo.rect = r.rokuyo;
    c.lunar.rect = r.lunar;
    if (!holiday.isEmpty()) {
        c.holiday.rect = r.holiday;
        c.holiday.text =
            r.holiday.width() >= w.holiday ? holiday : elidedLine(holiday, font(), r.holiday.width());
    }
    if (nameBelow) {
        return;
    }
    c.seasonal.rect = r.seasonal;
    if (r.seasonal.width() < w.seasonal) {
        c.seasonal.text = elidedLine(c.seasonal.text, font(), qMax(0, r.seasonal.width()));
    }
}

// Walks the sorted items of the cell's day from `running` on, laying out the
// bars that fit and one expand marker for the rest.
void TCustomMonthView::layoutCellItems(MonthLayout& l, int cell, const QDate& date, int& running) const
{
    CellLayout& c = l.cells[cell];
    auto advance = [&] { running = running + 1 < m_items->Count() ? running + 1 : -1; };
    // Items dated before this cell (only possible for items outside the
    // days shown) are passed over instead of stopping the walk.
    while (running >= 0 && m_items->Item(running)->Day() < date) {
        advance();
    }
    const int lh = m_metrics.lineHeight;
    const int innerBottom = c.inner.top() + c.inner.height();
    int top = c.inner.top() + lh + 2 + c.nameLineHeight;
    bool markerDrawn = false;
    while (running >= 0 && m_items->Item(running)->Day() == date) {
        if (c.firstItem < 0) {
            c.firstItem = running;
        }
        if (innerBottom - top >= lh + 4) {
            layoutBar(l, cell, running, top);
        } else if (!markerDrawn) {
            layoutExpandMarker(l, cell);
            markerDrawn = true;
        }
        advance();
        top += lh + 5;
    }
}

void TCustomMonthView::layoutExpandMarker(MonthLayout& l, int cell) const
{
    CellLayout& c = l.cells[cell];
    const int m = m_view->DayTextMargin();
    const int right = c.inner.left() + c.inner.width() + m;
    const int bottom = c.inner.top() + c.inner.height() + m;
    c.expandRect = ltrb(right - 20, bottom - 8, right, bottom);
}

void TCustomMonthView::layoutBar(MonthLayout& l, int cell, int itemIndex, int top) const
{
    CellLayout& c = l.cells[cell];
    TMonthViewItem* item = m_items->Item(itemIndex);
    const int lh = m_metrics.lineHeight;
    const int innerBottom = c.inner.top() + c.inner.height();
    const QRect r =
        ltrb(c.inner.left() + 2, top, c.inner.left() + c.inner.width() - 2, qMin(top + lh + 4, innerBottom));
    BarLayout bar = makeBar(item, r, item == m_selectedItem);
    bar.item = itemIndex;
    item->m_itemRect = r.adjusted(0, -1, 0, 1);
    c.bars.append(bar);
}

BarLayout TCustomMonthView::makeBar(const TMonthViewItem* item, const QRect& r, bool selected) const
{
    const TView& v = *m_view;
    BarLayout bar;
    bar.rect = r;
    bar.background = selected ? v.FocusColor() : item->Color();
    bar.frameColor = v.ItemFrameColor();
    const TColor textColor = selected ? v.FocusFont().Color() : item->Font().Color();
    const TFontStyles style = item->Font().Style();
    int right = r.left() + r.width();
    if (item->Record().isOccurrence()) {
        // Kept clear of the text, which is clipped short of it.
        const int w = qMin(m_metrics.repeatMarkWidth, r.width() / 2);
        right -= w;
        bar.repeatRect = ltrb(right, r.top() + 2, r.left() + r.width() - 2, r.top() + r.height() - 1);
    }
    int x = r.left() + 2;
    int extra = 0; // memo mark and image, added to the text start after a time
    if (item->MemoMark()) {
        x += v.MarkWidth();
        extra += v.MarkWidth();
        bar.markRect = ltrb(r.left() + 1, r.top() + 2, r.left() + 1 + v.MarkWidth(), r.top() + r.height() - 2)
                           .intersected(r.adjusted(1, 2, -1, -2));
        bar.markColor = v.MarkColor();
    }
    if (m_images && item->ImageIndex() >= 0 && item->ImageIndex() < m_images->size()) {
        const QSize size = m_images->at(item->ImageIndex()).deviceIndependentSize().toSize();
        const int h = qMin(size.height(), r.height());
        const int y = size.height() < r.height() ? r.top() + (r.height() - size.height()) / 2 : r.top();
        bar.imageIndex = item->ImageIndex();
        bar.imageTarget = QRect(x, y, size.width(), h);
        bar.imageSource = QRect(0, 0, size.width(), h);
        x += size.width() + 2;
        extra += size.width() + 2;
    }
    if (v.TimeViewStyle() != mtvNone) {
        x = layoutTime(bar, item, x, extra);
    }
    bar.text.rect = ltrb(x, r.top() + 2, right, r.top() + r.height());
    bar.text.text = item->Text().left(kMaxBarChars);
    bar.text.flags = kTopLeft;
    bar.text.color = textColor;
    bar.text.style = style;
    bar.time.color = textColor;
    bar.time.style = style;
    return bar;
}

// The time box from x on; returns where the bar's text starts after it.
// `extra` is the room the memo mark and the image took.
int TCustomMonthView::layoutTime(BarLayout& bar, const TMonthViewItem* item, int x, int extra) const
{
    const QRect& r = bar.rect;
    const bool span = m_view->TimeViewStyle() == mtvSpan;
    const int tw = m_metrics.timeWidth;
    const int avg = m_metrics.averageCharWidth;
    const int boxWidth = span ? 2 * tw + 2 * avg : tw;
    bar.time.rect = ltrb(x, r.top() + 2, qMin(x + boxWidth, r.left() + r.width()), r.top() + r.height());
    bar.time.text = timeText(item);
    bar.time.flags = kTopRight;
    return r.left() + (span ? 2 * (tw + avg) + avg : tw + avg) + extra;
}

} // namespace nox::monthview
