#include "appearance/ui/stylepreview.h"

#include "appearance/ui/styleviews.h"

#include <QApplication>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "core/datetime.h"
#include "monthview/monthview.h"
#include "sked/skedcontrol.h"
#include "widgets/datebanner.h"

namespace nox
{

namespace
{
constexpr int kSlots = 48;
// Where the preview shows the now marker, so its colour can be judged.
constexpr int kHighlightLine = 5;
const char* const kColumnCaptions[] = {"平日", "土曜日", "日曜日", "祝祭日"};
enum Column { cWeekday, cSaturday, cSunday, cHoliday };

sked::TSkedItem* addDayItem(sked::TSked* column, int start, int end, const QString& text)
{
    auto* item = new sked::TSkedItem(&column->Items());
    item->setStartLine(start);
    item->setEndLine(end);
    item->setText(text);
    column->Items().Add(item);
    return item;
}

void addMonthItem(monthview::TMonthView* month, const QDate& date, int hour, bool memo)
{
    monthview::TMonthViewItem* item = month->Items()->Add();
    item->SetStartDateTime(QDateTime(date, QTime(hour, 0)));
    item->SetEndDateTime(QDateTime(date, QTime(hour, 30)));
    item->SetText(QStringLiteral("スタイルプレビュー"));
    if (memo) {
        item->SetMemo(QStringLiteral("メモ"));
        item->SetMemoMark(true);
    }
}
} // namespace

TStylePreview::TStylePreview(QWidget* parent, int dayHeight, int monthHeight) : QWidget(parent)
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    m_header = new TDateBanner(this);
    m_header->setObjectName(QStringLiteral("PreviewHeader"));
    m_header->setColor(0x00808080);
    m_header->setTextColor(clWhite);
    column->addWidget(m_header);
    m_day = new sked::TSkedControl(this);
    m_day->setObjectName(QStringLiteral("PreviewSked"));
    m_day->setFixedHeight(dayHeight);
    column->addWidget(m_day);
    m_monthBox = new QScrollArea(this);
    m_monthBox->setObjectName(QStringLiteral("PreviewMonthBox"));
    m_monthBox->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_monthBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_monthBox->setWidgetResizable(true);
    m_month = new monthview::TMonthView;
    m_month->setObjectName(QStringLiteral("PreviewMonth"));
    m_month->setMinimumHeight(monthHeight);
    m_monthBox->setWidget(m_month);
    column->addWidget(m_monthBox, 1);
    m_month->installEventFilter(this);

    buildDayView();
    buildMonthView();
    m_header->setPeriodText(formatDateTime(QStringLiteral("yyyy\"年\"mm\"月\"dd\"日\""), QDate::currentDate()));
    m_header->setToday(QDate::currentDate());
    m_header->setStarted(true);
    m_style = TStyle();
    SetStyle(m_style, m_halfFormat);
}

TStylePreview::~TStylePreview() = default;

void TStylePreview::buildDayView()
{
    m_day->setReadOnly(true);
    m_day->setHideSelection(true);
    m_day->setSkedCount(4);
    m_day->Lines().BeginUpdate();
    for (int slot = 0; slot < kSlots; ++slot) {
        m_day->Lines().Add(slotTimeText(slot));
    }
    m_day->Lines().EndUpdate();
    for (int c = 0; c < 4; ++c) {
        m_day->Skeds(c)->View().TopBar().setCaption(QString::fromUtf8(kColumnCaptions[c]));
    }
    addDayItem(m_day->Skeds(cWeekday), 2, 4,
               QStringLiteral("スタイルプレビュー\r\nサンプルスケジュールデータ"));
    addDayItem(m_day->Skeds(cSunday), 2, 3,
               QStringLiteral("Nox\r\nVersionUp\r\n") + QApplication::applicationVersion());
    addDayItem(m_day->Skeds(cHoliday), 0, 0, QStringLiteral("誕生日"));
    m_day->setTopRow(0);
}

void TStylePreview::buildMonthView()
{
    m_month->SetReadOnly(true);
    const QDate today = QDate::currentDate();
    const QDate first(today.year(), today.month(), 1);
    m_month->SetCurrentDate(first);
    m_month->SetToday(today);
    m_month->Items()->BeginUpdate();
    addMonthItem(m_month, first, 9, false);
    addMonthItem(m_month, first.addDays(1), 10, true);
    addMonthItem(m_month, first.addDays(2), 9, false);
    addMonthItem(m_month, first.addDays(3), 10, true);
    m_month->Items()->EndUpdate();
    m_month->AddHoliday(QStringLiteral("休日"), first.addDays(5));
    m_month->AddHoliday(QStringLiteral("休日"), first.addDays(6));
    m_month->OnDrawItem = [this](QObject*, const QDate& date, const QRect& rect) { paintDayMemoMark(date, rect); };
}

// The day memo mark of the 2nd and the 4th, as the main window marks days
// that have a day memo.
void TStylePreview::paintDayMemoMark(const QDate& date, const QRect& rect)
{
    QPainter* p = m_month->Canvas();
    const QDate first = m_month->CurrentDate();
    const bool marked = date.month() == first.month() && (date.day() == 2 || date.day() == 4);
    if (!p || !marked) {
        return;
    }
    PaintDayMemoMark(*p, rect, toQColor(m_style.DayKind.DayMemoMarkColor, m_month->palette()));
}

void TStylePreview::SetStyle(const TStyle& style, bool halfFormat)
{
    m_style = style;
    m_halfFormat = halfFormat;
    m_day->BeginUpdate();
    m_month->Items()->BeginUpdate();
    applyDayView();
    applyMonthView();
    m_month->Items()->EndUpdate();
    m_day->EndUpdate();
    colorDayColumns();
    applyHalfFormat();
    applyHeader();
}

void TStylePreview::applyDayView()
{
    ApplyStyleToDayView(*m_day, m_style);
    for (int c = 0; c < m_day->SkedCount(); ++c) {
        sked::TSkedItems& items = m_day->Skeds(c)->Items();
        for (int i = 0; i < items.Count(); ++i) {
            items.Items(i)->Font().setColor(m_style.FontColor);
        }
    }
}

// The Saturday, Sunday and holiday columns take the day-kind colours.
void TStylePreview::colorDayColumns()
{
    const sked::TView& master = m_day->View();
    const TDayKindColors& k = m_style.DayKind;
    const TColor bk[] = {master.LeftBar().Color(), k.SaturdayBKColor, k.SundayBKColor, k.HolidayBKColor};
    const TColor fg[] = {master.LeftBar().Font().Color(), k.SaturdayFGColor, k.SundayFGColor,
                         k.HolidayFGColor};
    for (int c = 0; c < m_day->SkedCount() && c < 4; ++c) {
        sked::TView& view = m_day->Skeds(c)->View();
        view.LeftBar().setColor(bk[c]);
        view.LeftBar().Font().setColor(fg[c]);
    }
    if (sked::TSked* weekday = m_day->Skeds(cWeekday)) {
        weekday->View().LeftBar().setHighlightLine(kHighlightLine);
    }
}

// The month view's own background follows the style's "背景色" as well.
void TStylePreview::applyMonthView()
{
    m_month->SetColor(m_style.Color);
    ApplyStyleToMonthView(*m_month, m_style, m_day->palette());
    for (int i = 0; i < m_month->Items()->Count(); ++i) {
        monthview::TMonthViewItem* item = m_month->Items()->Item(i);
        item->SetColor(m_style.DayKind.SkedBKColor);
        item->Font().setColor(m_style.FontColor);
    }
    m_month->update();
}

void TStylePreview::applyHeader()
{
    ApplyStyleToHeader(*m_header, m_style);
}

// "30" (on) or "8:30" (off) on the half-hour lines of the ruler.
void TStylePreview::applyHalfFormat()
{
    sked::TLines& lines = m_day->Lines();
    lines.BeginUpdate();
    for (int slot = 1; slot < lines.Count(); slot += 2) {
        const QString full = slotTimeText(slot);
        lines.Items(slot)->setCaption(m_halfFormat ? full.right(2) : full);
    }
    lines.EndUpdate();
}

QString TStylePreview::CurrentColRate() const
{
    return monthview::rateText(m_month->ColRates());
}

// The wheel over the month view scrolls its box, not the month.
bool TStylePreview::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_month && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        QScrollBar* bar = m_monthBox->verticalScrollBar();
        bar->setValue(bar->value() - wheel->angleDelta().y() / 120 * bar->singleStep() * 3);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace nox
