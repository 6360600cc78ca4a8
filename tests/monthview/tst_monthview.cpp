// Model, layout and painting of the month view.
#include "monthview/monthviewlayout_p.h"
#include "monthviewtestsupport.h"

#include <QSignalSpy>
#include <QTest>

using namespace mvtest;

class TestMonthView : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setUpFonts(); }
    void februaryStartingOnSunday();
    void dayTextsUsePointFormat();
    void cellColours();
    void holidays();
    void zeroWidthColumns();
    void barsAndExpandMarker();
    void repeatMarkOnOccurrencesOnly_data();
    void repeatMarkOnOccurrencesOnly();
    void itemsBeforeTheFirstCellDoNotHideTheMonth();
    void timeTexts();
    void itemOrder();
    void updatesNotifyOnce();
    void selectionFollowsItsItem();
    void setCurrentDateAndMonths();
    void viewAssignKeepsHeaderVisibility();
    void drawItemPerCell();
    void repaintsAreTheSame();
};

void TestMonthView::februaryStartingOnSunday()
{
    auto view = makeView(QDate(2026, 2, 14));
    QCOMPARE(view->FirstCell(), 0);
    QCOMPARE(view->EndCell(), 28);
    const MonthLayout& l = view->ComputedLayout();
    const TView& v = *view->View();
    for (int cell = 0; cell < kCellCount; ++cell) {
        const bool other = l.cells[cell].background == v.OtherMonthBKColor();
        QCOMPARE(other, cell >= 28); // rows 0..3 are February, rows 4 and 5 March
    }
    QCOMPARE(view->CellDate(28), QDate(2026, 3, 1));
    QCOMPARE(view->CellOfDate(QDate(2026, 2, 1)), 0);
}

void TestMonthView::dayTextsUsePointFormat()
{
    auto view = makeView(QDate(2026, 5, 20)); // 1 May is a Friday: cell 5
    const MonthLayout& l = view->ComputedLayout();
    QCOMPARE(l.cells[0].dayText.text, QStringLiteral("4/26日"));
    QCOMPARE(l.cells[1].dayText.text, QStringLiteral("27日"));
    QCOMPARE(l.cells[5].dayText.text, QStringLiteral("5/1日"));
    QCOMPARE(l.cells[6].dayText.text, QStringLiteral("2日"));
    QCOMPARE(l.cells[36].dayText.text, QStringLiteral("6/1日"));
    QCOMPARE(l.cells[37].dayText.text, QStringLiteral("2日"));
    QVERIFY(l.cells[5].dayText.flags & Qt::AlignRight);
    QCOMPARE(l.cells[6].dayText.style, nox::fsBold);
    // A month starting on Sunday: cell 0 is the 1st, the next 1st is cell 31.
    view->SetCurrentDate(QDate(2026, 3, 3));
    QCOMPARE(view->ComputedLayout().cells[0].dayText.text, QStringLiteral("3/1日"));
    QCOMPARE(view->ComputedLayout().cells[31].dayText.text, QStringLiteral("4/1日"));
    QCOMPARE(view->ComputedLayout().cells[30].dayText.text, QStringLiteral("31日"));
}

void TestMonthView::cellColours()
{
    auto view = makeView(QDate(2026, 5, 20), QSize(700, 520), QDate(2026, 5, 13));
    const TView& v = *view->View();
    const MonthLayout& l = view->ComputedLayout();
    QCOMPARE(l.cells[7].background, v.SundayBKColor());
    QCOMPARE(l.cells[7].dayText.color, v.SundayFGColor());
    QCOMPARE(l.cells[13].background, v.SaturdayBKColor());
    QCOMPARE(l.cells[13].dayText.color, v.SaturdayFGColor());
    QCOMPARE(l.cells[9].background, v.WeekDayBKColor());
    QCOMPARE(l.cells[0].background, v.OtherMonthBKColor()); // 26 April, a Sunday
    QCOMPARE(l.cells[0].dayText.color, v.OtherMonthFGColor());
    // today (13 May, cell 17): a frame of TodayLineWidth in TodayColor
    QCOMPARE(l.cells[17].todayFrame, l.cells[17].inner);
    QCOMPARE(l.cells[17].todayLineWidth, 3);
    QVERIFY(l.cells[16].todayFrame.isNull());
    const QImage image = render(*view);
    const QRect inner = view->CellRect(17);
    QCOMPARE(pixel(image, *view, inner.topLeft() + QPoint(2, 30)), nox::toQColor(v.TodayColor()));
    QCOMPARE(pixel(image, *view, inner.topLeft() + QPoint(3, 30)), nox::toQColor(v.WeekDayBKColor()));
    // The selected cell's day strip takes the focus colours.
    view->SelectCell(9);
    const MonthLayout& s = view->ComputedLayout();
    QCOMPARE(s.cells[9].focusRect.height(), view->LineHeight());
    QCOMPARE(s.cells[9].dayText.color, v.FocusFont().Color());
    QVERIFY(s.cells[10].focusRect.isNull());
}

void TestMonthView::holidays()
{
    auto view = makeView(QDate(2026, 5, 20));
    view->AddHoliday(QStringLiteral("憲法記念日"), QDate(2026, 5, 3)); // a Sunday in the month
    view->AddHoliday(QStringLiteral("別の名前"), QDate(2026, 5, 3));   // the first name wins
    view->AddHoliday(QStringLiteral("昭和の日"), QDate(2026, 4, 29));  // outside the month
    const TView& v = *view->View();
    const MonthLayout& l = view->ComputedLayout();
    const int may3 = view->CellOfDate(QDate(2026, 5, 3));
    QCOMPARE(l.cells[may3].background, v.HolidayBKColor());
    QCOMPARE(l.cells[may3].holiday.text, QStringLiteral("憲法記念日"));
    QCOMPARE(l.cells[may3].dayText.color, v.HolidayFGColor());
    QVERIFY(l.cells[may3].holiday.flags & Qt::AlignLeft);
    const int apr29 = view->CellOfDate(QDate(2026, 4, 29));
    QCOMPARE(l.cells[apr29].background, v.OtherMonthBKColor());
    QCOMPARE(l.cells[apr29].dayText.color, v.HolidayFGColor());
    QCOMPARE(l.cells[apr29].holiday.color, v.HolidayFGColor());
    view->ClearHolidays();
    QVERIFY(view->ComputedLayout().cells[may3].holiday.text.isEmpty());
}

void TestMonthView::zeroWidthColumns()
{
    auto view = makeView(QDate(2026, 3, 3));
    view->SetColRate(QStringLiteral("1,1"));
    QCOMPARE(view->ColRates(), (QList<int>{1, 1, 0, 0, 0, 0, 0}));
    for (int col = 2; col < 7; ++col) {
        QVERIFY(view->CellRect(col).width() <= 0);
        QCOMPARE(view->CellGrid().x[col + 1], view->ClientSize().width() - 1);
    }
    QVERIFY(view->CellRect(1).width() > 300);
    render(*view); // painting empty cells must not misbehave
}

void TestMonthView::barsAndExpandMarker()
{
    auto view = makeView(QDate(2026, 3, 3), QSize(700, 400));
    view->Items()->BeginUpdate();
    for (int i = 0; i < 8; ++i) {
        addItem(*view, QDate(2026, 3, 4), QTime(8 + i, 0), QTime(9 + i, 0), QStringLiteral("e%1").arg(i));
    }
    addItem(*view, QDate(2026, 3, 5), QTime(9, 0), QTime(10, 0), QStringLiteral("next day"));
    view->Items()->EndUpdate();
    const int cell = view->CellOfDate(QDate(2026, 3, 4));
    const MonthLayout& l = view->ComputedLayout();
    const int lh = view->LineHeight();
    int markers = 0;
    for (int c = 0; c < kCellCount; ++c) {
        markers += l.cells[c].expandRect.isValid() ? 1 : 0;
    }
    QCOMPARE(markers, 1);
    const QRect inner = l.cells[cell].inner;
    const QRect e = l.cells[cell].expandRect;
    QCOMPARE(e.size(), QSize(20, 8));
    QCOMPARE(e.left() + e.width(), inner.left() + inner.width() + 1);
    QCOMPARE(e.top() + e.height(), inner.top() + inner.height() + 1);
    const int fits = (inner.height() - lh - 2 + 1) / (lh + 5);
    QCOMPARE(l.cells[cell].bars.size(), fits);
    QCOMPARE(l.cells[cell].firstItem, 0);
    QVERIFY(fits < 8);
    for (int i = 0; i < 8; ++i) {
        QCOMPARE(view->Items()->Item(i)->ItemRect().isEmpty(), i >= fits);
    }
    // bar geometry: top at inner top + LineHeight + 2, 2 pixels in from the sides
    const QRect first = l.cells[cell].bars.at(0).rect;
    QCOMPARE(first, QRect(inner.left() + 2, inner.top() + lh + 2, inner.width() - 4, lh + 4));
    QCOMPARE(view->Items()->Item(0)->ItemRect(), first.adjusted(0, -1, 0, 1));
    QCOMPARE(l.cells[cell].bars.at(1).rect.top(), first.top() + lh + 5);
    // The next day's entry is still in its own cell.
    const CellLayout& next = l.cells[cell + 1];
    QCOMPARE(next.firstItem, 8);
    QCOMPARE(next.bars.size(), 1);
    QCOMPARE(next.bars.at(0).text.text, QStringLiteral("next day"));
}

void TestMonthView::repeatMarkOnOccurrencesOnly_data()
{
    QTest::addColumn<int>("pointSize");
    QTest::newRow("9 pt") << 9;
    QTest::newRow("18 pt") << 18;
}

// An entry of a repeat rule ends in a mark as high as the font's capitals;
// the text stops short of it. Any other entry is laid out as before.
void TestMonthView::repeatMarkOnOccurrencesOnly()
{
    QFETCH(int, pointSize);
    auto view = makeView(QDate(2026, 3, 3), QSize(900, 900));
    QFont f = view->font();
    f.setPointSize(pointSize);
    view->setFont(f);
    addItem(*view, QDate(2026, 3, 4), QTime(9, 0), QTime(10, 0), QStringLiteral("plain"));
    TMonthViewItem* occurrence =
        addItem(*view, QDate(2026, 3, 4), QTime(10, 0), QTime(11, 0), QStringLiteral("weekly"));
    occurrence->Record().RuleID = 7;
    occurrence->SetText(QStringLiteral("weekly meeting"));
    const MonthLayout& l = view->ComputedLayout();
    const CellLayout& c = l.cells[view->CellOfDate(QDate(2026, 3, 4))];
    QCOMPARE(c.bars.size(), 2);
    const BarLayout& plain = c.bars.at(0);
    QVERIFY(plain.repeatRect.isNull());
    QCOMPARE(plain.text.rect.right(), plain.rect.right());
    const BarLayout& repeat = c.bars.at(1);
    QVERIFY(repeat.repeatRect.isValid());
    QVERIFY(repeat.rect.contains(repeat.repeatRect));
    QVERIFY(repeat.text.rect.right() < repeat.repeatRect.left());
    const int side = qMin(repeat.repeatRect.width(), repeat.repeatRect.height());
    QVERIFY2(side >= QFontMetrics(f).capHeight(), qPrintable(QString::number(side)));
    const QImage image = render(*view);
    const QColor ground = nox::toQColor(repeat.background);
    int inked = 0;
    for (int y = repeat.repeatRect.top(); y <= repeat.repeatRect.bottom(); ++y) {
        for (int x = repeat.repeatRect.left(); x <= repeat.repeatRect.right(); ++x) {
            inked += pixel(image, *view, QPoint(x, y)) != ground ? 1 : 0;
        }
    }
    QVERIFY2(inked >= side, qPrintable(QString::number(inked)));
}

void TestMonthView::itemsBeforeTheFirstCellDoNotHideTheMonth()
{
    auto view = makeView(QDate(2026, 3, 3));
    addItem(*view, QDate(2026, 1, 5), QTime(9, 0), QTime(10, 0), QStringLiteral("old"));
    addItem(*view, QDate(2026, 3, 4), QTime(9, 0), QTime(10, 0), QStringLiteral("shown"));
    const int cell = view->CellOfDate(QDate(2026, 3, 4));
    QCOMPARE(view->ComputedLayout().cells[cell].bars.size(), 1);
    QCOMPARE(view->CellFirstItem(cell), 1);
}

void TestMonthView::timeTexts()
{
    auto view = makeView(QDate(2026, 3, 3));
    TMonthViewItem* item =
        addItem(*view, QDate(2026, 3, 4), QTime(9, 0), QTime(10, 30), QStringLiteral("会議"));
    item->SetMemoMark(true);
    const int cell = view->CellOfDate(QDate(2026, 3, 4));
    auto bar = [&] { return view->ComputedLayout().cells[cell].bars.at(0); };
    QVERIFY(bar().time.text.isEmpty());
    QCOMPARE(bar().text.rect.left(), bar().rect.left() + 2 + 4); // after the memo mark
    QCOMPARE(bar().markRect, QRect(bar().rect.left() + 1, bar().rect.top() + 2, 4, bar().rect.height() - 4));
    view->View()->SetTimeViewStyle(mtvStart);
    QCOMPARE(bar().time.text, QStringLiteral("9:00"));
    QCOMPARE(bar().time.rect.width(), view->TimeWidth());
    QVERIFY(bar().time.flags & Qt::AlignRight);
    QCOMPARE(bar().text.rect.left(), bar().rect.left() + view->TimeWidth() + view->AverageCharWidth() + 4);
    view->View()->SetTimeViewStyle(mtvSpan);
    QCOMPARE(bar().time.text, QStringLiteral("9:00-10:30"));
    QCOMPARE(bar().text.rect.left(), bar().rect.left() + 2 * (view->TimeWidth() + view->AverageCharWidth()) +
                                         view->AverageCharWidth() + 4);
    QCOMPARE(bar().text.text, QStringLiteral("会議"));
    // the time is measured in the bold font and fits "23:59"
    QVERIFY(view->TimeWidth() >= QFontMetrics(view->font()).horizontalAdvance(QStringLiteral("23:59")));
}

void TestMonthView::itemOrder()
{
    auto view = makeView(QDate(2026, 3, 3));
    TMonthViewItem* late = addItem(*view, QDate(2026, 3, 4), QTime(12, 0), QTime(13, 0), "late");
    TMonthViewItem* longer = addItem(*view, QDate(2026, 3, 4), QTime(9, 0), QTime(11, 0), "longer");
    TMonthViewItem* shorter = addItem(*view, QDate(2026, 3, 4), QTime(9, 0), QTime(10, 0), "shorter");
    TMonthViewItem* twin = addItem(*view, QDate(2026, 3, 4), QTime(9, 0), QTime(10, 0), "twin");
    TMonthViewItem* earlier = addItem(*view, QDate(2026, 3, 2), QTime(18, 0), QTime(19, 0), "earlier day");
    const QList<TMonthViewItem*> expected{earlier, shorter, twin, longer, late};
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(view->Items()->Item(i), expected.at(i));
    }
    QVERIFY(twin->Sequence() > shorter->Sequence());
    late->SetStartDateTime(QDateTime(QDate(2026, 3, 1), QTime(8, 0))); // a change re-sorts
    QCOMPARE(view->Items()->Item(0), late);
    QVERIFY(view->Items()->Item(-1) == nullptr && view->Items()->Item(5) == nullptr);
}

void TestMonthView::updatesNotifyOnce()
{
    auto view = makeView(QDate(2026, 3, 3));
    int changes = 0;
    auto previous = view->Items()->OnChange;
    view->Items()->OnChange = [&] {
        ++changes;
        previous();
    };
    view->Items()->BeginUpdate();
    view->Items()->BeginUpdate();
    for (int i = 0; i < 5; ++i) {
        addItem(*view, QDate(2026, 3, 4 + i), QTime(9, 0), QTime(10, 0), "x");
    }
    view->Items()->EndUpdate();
    QCOMPARE(changes, 0);
    view->Items()->EndUpdate();
    QCOMPARE(changes, 1);
    view->Items()->Item(0)->SetText("x"); // same value: no notification
    QCOMPARE(changes, 1);
    view->Items()->Item(0)->Font().setColor(nox::clRed);
    QCOMPARE(changes, 2);
}

void TestMonthView::selectionFollowsItsItem()
{
    auto view = makeView(QDate(2026, 3, 3));
    TMonthViewItem* a = addItem(*view, QDate(2026, 3, 10), QTime(9, 0), QTime(10, 0), "a");
    TMonthViewItem* b = addItem(*view, QDate(2026, 3, 11), QTime(9, 0), QTime(10, 0), "b");
    QDate selectedDay;
    std::optional<qint32> selected;
    view->OnSelectItem = [&](QObject* sender, const QDate& day, std::optional<qint32> id) {
        QCOMPARE(sender, view.get());
        selectedDay = day;
        selected = id;
    };
    view->SelectItem(b);
    QCOMPARE(view->ItemIndex(), 1);
    QCOMPARE(selectedDay, QDate(2026, 3, 11));
    QCOMPARE(selected, std::optional<qint32>(b->ID()));
    QCOMPARE(view->SelectedDate(), QDate(2026, 3, 11));
    // a becomes later than b: the selection stays on b, now index 0
    a->SetStartDateTime(QDateTime(QDate(2026, 3, 12), QTime(9, 0)));
    QCOMPARE(view->ItemIndex(), 0);
    QCOMPARE(view->SelectedItem(), b);
    // SetItemIndex(-1) keeps the cell
    view->SetItemIndex(-1);
    QCOMPARE(selectedDay, QDate(2026, 3, 11));
    QVERIFY(!selected);
    view->SelectItem(a);
    view->Items()->Delete(view->Items()->IndexOf(a));
    QCOMPARE(view->ItemIndex(), -1);
    QVERIFY(view->SelectedItem() == nullptr);
    view->SelectItem(b);
    view->Items()->Clear();
    QVERIFY(view->SelectedItem() == nullptr);
}

void TestMonthView::setCurrentDateAndMonths()
{
    auto view = makeView(QDate(2026, 3, 3));
    int monthChanges = 0;
    QList<int> cells;
    view->OnChangeMonth = [&](QObject*) { ++monthChanges; };
    view->OnSelectItem = [&](QObject*, const QDate& day, std::optional<qint32>) { cells << view->CellOfDate(day); };
    view->SetCurrentDate(QDate(2026, 3, 18));
    QCOMPARE(cells, QList<int>{17});
    QCOMPARE(monthChanges, 0);
    view->SetCurrentDate(QDate(2026, 3, 18)); // unchanged: nothing
    QCOMPARE(cells.size(), 1);
    view->SetCurrentDate(QDate(2026, 5, 1));
    QCOMPARE(monthChanges, 1);
    QCOMPARE(view->FirstCell(), 5);
    QCOMPARE(cells.last(), 5);
    QCOMPARE(view->SelectedDate(), QDate(2026, 5, 1));
    view->SetCurrentDate(QDate(2026, 1, 31));
    view->NextMonth();
    QCOMPARE(view->CurrentDate(), QDate(2026, 2, 28));
    view->PrevMonth();
    view->PrevMonth();
    QCOMPARE(view->CurrentDate(), QDate(2025, 12, 28));
    QCOMPARE(monthChanges, 5);
}

void TestMonthView::viewAssignKeepsHeaderVisibility()
{
    TView source(nox::clRed);
    source.TopBar().SetVisible(false);
    source.TopBar().SetHeight(24);
    source.TopBar().Font().setColor(nox::clBlue);
    source.TopBar().SetAlignment(taLeftJustify);
    source.SetLineWidth(2);
    source.SetTimeViewStyle(mtvSpan);
    source.FocusFont().setStyle(nox::fsItalic);
    TView target;
    int changes = 0;
    target.OnChange = [&] { ++changes; };
    target.Assign(source);
    QCOMPARE(changes, 1);
    QVERIFY(target.TopBar().Visible());
    QCOMPARE(target.TopBar().Height(), 24);
    QCOMPARE(target.TopBar().Font().Color(), nox::clBlue);
    QCOMPARE(target.TopBar().Alignment(), taLeftJustify);
    QCOMPARE(target.LineWidth(), 2);
    QCOMPARE(target.TimeViewStyle(), mtvSpan);
    QCOMPARE(target.FocusFont().Style(), nox::fsItalic);
    QCOMPARE(target.DayTextFont().Color(), nox::clRed);
    target.SetLineWidth(2);
    QCOMPARE(changes, 1); // no change, no notification
}

void TestMonthView::drawItemPerCell()
{
    auto view = makeView(QDate(2026, 3, 3));
    QList<int> cells;
    view->OnDrawItem = [&](QObject*, const QDate& day, const QRect& rect) {
        const int cell = view->CellOfDate(day);
        QVERIFY(view->Canvas() != nullptr);
        QCOMPARE(rect, view->CellRect(cell));
        cells << cell;
    };
    render(*view);
    QCOMPARE(cells.size(), kCellCount);
    QCOMPARE(cells.first(), 0);
    QCOMPARE(cells.last(), 41);
    QVERIFY(view->Canvas() == nullptr);
}

QTEST_MAIN(TestMonthView)
#include "tst_monthview.moc"

// Texts drawn again are copied from kept pictures of them on their ground:
// a repaint must give the first paint's pixels, on every kind of ground (a
// holiday, today inside a wide frame, the focused cell, coloured bars with
// times and clipped titles), at 1x and 2x.
void TestMonthView::repaintsAreTheSame()
{
    auto view = makeView(QDate(2026, 3, 3), QSize(700, 520), QDate(2026, 3, 10));
    view->View()->SetTodayLineWidth(4);
    view->View()->SetTimeViewStyle(mtvSpan);
    view->AddHoliday(QStringLiteral("春分の日"), QDate(2026, 3, 20));
    view->Items()->BeginUpdate();
    const nox::TColor colors[] = {nox::clYellow, nox::clNavy, nox::clWhite, nox::clLime};
    for (int day = 1; day <= 28; day += 3) {
        for (int i = 0; i < 3; ++i) {
            TMonthViewItem* item = addItem(*view, QDate(2026, 3, day), QTime(8 + i, 0), QTime(9 + i, 30),
                                           i == 2 ? QStringLiteral("とても長い件名の定例会議と打ち合わせ")
                                                  : QStringLiteral("会議 %1").arg(i));
            item->SetColor(colors[(day + i) % 4]);
        }
    }
    view->Items()->EndUpdate();
    view->SelectCell(view->CellOfDate(QDate(2026, 3, 12)));
    for (const qreal ratio : {1.0, 2.0}) {
        const QImage first = render(*view, ratio);
        for (int pass = 0; pass < 3; ++pass) { // drawn again, pictures made, then copied
            QVERIFY2(render(*view, ratio) == first, qPrintable(QStringLiteral("%1x, pass %2").arg(ratio).arg(pass)));
        }
    }
}
