#pragma once
// The schedule editor's "繰り返し" section: how often (しない / 毎日 / 毎週 /
// 毎月 / 毎年), the weekdays of a weekly rule, the day of a monthly one (its
// date, its n-th weekday or the month's last day), the interval, the end
// (なし / 日付まで / 回数) and the holiday rule; it shows the rule in words
// and its next dates. While it is set to しない only its first row shows.
#include <QDate>
#include <QList>
#include <QWidget>
#include <optional>

#include "store/repeatrule.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QSpinBox;

namespace nox
{

class RepeatSection : public QWidget
{
    Q_OBJECT
public:
    explicit RepeatSection(QWidget* parent = nullptr);

    // Shows `rrule` (none: しない) for a schedule of `first`. A rule the
    // controls cannot show (several days of a month, BYSETPOS…) is kept as
    // it is while the controls are left alone.
    void setRule(const std::optional<QString>& rrule, HolidayRule holiday, const QDate& first);
    // The date of the schedule changed: the rule's days follow it.
    void setFirstDate(const QDate& first);

    bool isRepeating() const;
    // The RRULE value of the controls; empty while しない.
    QString rrule() const;
    HolidayRule holiday() const;
    // Why the rule cannot be stored (empty when it can).
    QString problem() const;

    QComboBox* FrequencyList() const { return m_freq; }
    QComboBox* MonthlyList() const { return m_monthly; }
    QComboBox* EndList() const { return m_end; }
    QSpinBox* IntervalBox() const { return m_interval; }
    QSpinBox* CountBox() const { return m_count; }
    QDateEdit* UntilEdit() const { return m_until; }
    QComboBox* HolidayList() const { return m_holiday; }
    QCheckBox* WeekdayBox(int weekday) const { return m_weekdays.value(weekday - 1); } // 1 = Monday
    QLabel* WordsLabel() const { return m_words; }
    QLabel* NextDatesLabel() const { return m_next; }

signals:
    void changed();

private:
    void build();
    void update();
    QString composed() const;

    QDate m_first;
    QString m_kept; // a rule the controls cannot show, while untouched
    bool m_filling = false;
    QComboBox* m_freq = nullptr;
    QSpinBox* m_interval = nullptr;
    QLabel* m_unit = nullptr;
    QList<QCheckBox*> m_weekdays;
    QComboBox* m_monthly = nullptr;
    QComboBox* m_end = nullptr;
    QDateEdit* m_until = nullptr;
    QSpinBox* m_count = nullptr;
    QComboBox* m_holiday = nullptr;
    QLabel* m_words = nullptr;
    QLabel* m_next = nullptr;
    QWidget* m_details = nullptr;
    QWidget* m_weekRow = nullptr;
};

} // namespace nox
