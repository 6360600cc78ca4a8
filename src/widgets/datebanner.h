#pragma once
// The date banner between the tool bar and the view: the period on view in
// the banner font and, 16 pixels after it, today's date in a second (smaller)
// size. Colours and sizes come from the active style.
#include <QDate>
#include <QWidget>
#include <functional>

#include "core/color.h"

namespace nox
{

class TDateBanner : public QWidget
{
    Q_OBJECT
public:
    explicit TDateBanner(QWidget* parent = nullptr);

    // Background; the text colour is set with setTextColor.
    void setColor(TColor color);
    TColor color() const { return m_color; }
    void setTextColor(TColor color);
    TColor textColor() const { return m_textColor; }
    // The second font size (points) of today's date; the style's "HeaderFontSize2".
    void setSecondFontSize(int points);
    int secondFontSize() const { return m_secondSize; }

    // What to show: the period text and today's date. Nothing but the fill is
    // drawn until setStarted(true) (the window's deferred start-up).
    void setPeriodText(const QString& text);
    QString periodText() const { return m_period; }
    void setToday(const QDate& today);
    QString todayText() const;
    void setStarted(bool started);
    // Shown after today's date in its size (the old date and 六曜 of the
    // focused day); empty shows nothing.
    void setCalendarText(const QString& text);
    QString calendarText() const { return m_calendar; }

    // Height of "H" in the banner font + 5; re-applied on font changes.
    int preferredHeight() const;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

public:
    // Right-click on the banner (the window offers its help commands there).
    std::function<void(QObject* Sender, const QPoint& globalPos)> OnContextMenu;

private:
    TColor m_color = clBtnFace;
    TColor m_textColor = clWindowText;
    int m_secondSize = 10;
    QString m_period;
    QString m_calendar;
    QDate m_today;
    bool m_started = false;
};

} // namespace nox
