#pragma once
// The preview of one style: the date header, a day view with the four columns
// "平日", "土曜日", "日曜日" and "祝祭日", and below it a month view in a
// vertically scrolling box, all filled with sample entries. The preview is
// drawn from a TStyle (plus the time ruler's half-hour switch, which is a
// setting of its own): SetStyle applies every value to the real view
// controls in the order the main window applies a style, so what the preview
// shows is what the main window will show.
#include <QWidget>

#include "appearance/style.h"

class QScrollArea;

namespace nox
{

class TDateBanner;

namespace sked
{
class TSkedControl;
}
namespace monthview
{
class TMonthView;
}

class TStylePreview : public QWidget
{
    Q_OBJECT
public:
    // `dayHeight`: the day view's height; `monthHeight`: the month view's
    // height inside its box, which takes the rest.
    explicit TStylePreview(QWidget* parent = nullptr, int dayHeight = 150, int monthHeight = 300);
    ~TStylePreview() override;

    void SetStyle(const TStyle& style, bool halfFormat);
    const TStyle& Style() const { return m_style; }
    bool HalfFormat() const { return m_halfFormat; }

    // The month view's current column widths as its rate text (the user may
    // have dragged the column lines of the preview).
    QString CurrentColRate() const;

    TDateBanner* Header() const { return m_header; }
    sked::TSkedControl* DayView() const { return m_day; }
    monthview::TMonthView* MonthView() const { return m_month; }
    QScrollArea* MonthBox() const { return m_monthBox; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildDayView();
    void buildMonthView();
    void applyDayView();
    void colorDayColumns();
    void applyMonthView();
    void applyHeader();
    void applyHalfFormat();
    void paintDayMemoMark(const QDate& date, const QRect& rect);

    TStyle m_style;
    bool m_halfFormat = true;
    TDateBanner* m_header = nullptr;
    sked::TSkedControl* m_day = nullptr;
    monthview::TMonthView* m_month = nullptr;
    QScrollArea* m_monthBox = nullptr;
};

} // namespace nox
