#include "dialogs/repeatsection.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "store/repeatexpand.h"

namespace nox
{

namespace
{

enum Frequency { None, Daily, Weekly, Monthly, Yearly };
enum MonthDay { ByDate, ByWeekday, LastDay };
enum End { Never, Until, Count };

const char* const kCodes[] = {"MO", "TU", "WE", "TH", "FR", "SA", "SU"};
const char* const kDayNames[] = {"月", "火", "水", "木", "金", "土", "日"};
constexpr int kNextDates = 5;

QString weekdayCode(int weekday)
{
    return QString::fromLatin1(kCodes[weekday - 1]);
}

// The n-th weekday of its month: 1..4, or -1 for the last one (a fifth is the last).
int weekdayOrdinal(const QDate& d)
{
    const int n = (d.day() - 1) / 7 + 1;
    return n >= 5 ? -1 : n;
}

QString ordinalText(const QDate& d)
{
    const int n = weekdayOrdinal(d);
    const QString name = QString::fromUtf8(kDayNames[d.dayOfWeek() - 1]);
    return n < 0 ? QStringLiteral("最終%1曜日").arg(name) : QStringLiteral("第%1%2曜日").arg(n).arg(name);
}

} // namespace

RepeatSection::RepeatSection(QWidget* parent) : QWidget(parent)
{
    build();
    setRule(std::nullopt, HolidayRule::None, QDate::currentDate());
}

void RepeatSection::build()
{
    m_freq = new QComboBox(this);
    m_freq->addItems({QStringLiteral("しない"), QStringLiteral("毎日"), QStringLiteral("毎週"),
                      QStringLiteral("毎月"), QStringLiteral("毎年")});
    m_interval = new QSpinBox(this);
    m_interval->setRange(1, kRuleIntervalLimit);
    m_unit = new QLabel(this);
    m_monthly = new QComboBox(this);
    m_end = new QComboBox(this);
    m_end->addItems({QStringLiteral("終了なし"), QStringLiteral("日付まで"), QStringLiteral("回数")});
    m_until = new QDateEdit(this);
    m_until->setCalendarPopup(true);
    m_until->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    m_count = new QSpinBox(this);
    m_count->setRange(1, kRuleCountLimit);
    m_count->setSuffix(QStringLiteral(" 回"));
    m_holiday = new QComboBox(this);
    m_holiday->addItems({QStringLiteral("土日祝日もそのまま"), QStringLiteral("土日祝日は休み"),
                         QStringLiteral("土日祝日は前の平日"), QStringLiteral("土日祝日は次の平日")});
    m_words = new QLabel(this);
    m_next = new QLabel(this);
    m_next->setWordWrap(true);

    auto* top = new QHBoxLayout;
    top->setSpacing(4);
    top->addWidget(new QLabel(QStringLiteral("繰り返し :"), this));
    top->addWidget(m_freq);
    top->addWidget(m_words, 1);

    m_details = new QWidget(this);
    auto* rows = new QVBoxLayout(m_details);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(2);
    auto* first = new QHBoxLayout;
    first->addWidget(m_interval);
    first->addWidget(m_unit);
    first->addWidget(m_monthly);
    m_weekRow = new QWidget(m_details);
    auto* week = new QHBoxLayout(m_weekRow);
    week->setContentsMargins(0, 0, 0, 0);
    for (const char* name : kDayNames) {
        auto* box = new QCheckBox(QString::fromUtf8(name), m_weekRow);
        m_weekdays.append(box);
        week->addWidget(box);
    }
    first->addWidget(m_weekRow);
    first->addStretch();
    auto* second = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{m_end, m_until, m_count, m_holiday}) {
        second->addWidget(w);
    }
    second->addStretch();
    rows->addLayout(first);
    rows->addLayout(second);
    rows->addWidget(m_next);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    layout->addLayout(top);
    layout->addWidget(m_details);

    const auto touched = [this] {
        if (!m_filling) {
            m_kept.clear();
            update();
        }
    };
    connect(m_freq, &QComboBox::currentIndexChanged, this, touched);
    connect(m_monthly, &QComboBox::currentIndexChanged, this, touched);
    connect(m_end, &QComboBox::currentIndexChanged, this, touched);
    connect(m_holiday, &QComboBox::currentIndexChanged, this, [this] { update(); });
    connect(m_interval, &QSpinBox::valueChanged, this, touched);
    connect(m_count, &QSpinBox::valueChanged, this, touched);
    connect(m_until, &QDateEdit::dateChanged, this, touched);
    for (QCheckBox* box : m_weekdays) {
        connect(box, &QCheckBox::toggled, this, touched);
    }
}

void RepeatSection::setRule(const std::optional<QString>& rrule, HolidayRule holiday, const QDate& first)
{
    m_filling = true;
    m_first = first;
    m_kept.clear();
    m_holiday->setCurrentIndex(int(holiday));
    m_until->setDate(first.addMonths(3));
    m_count->setValue(10);
    m_interval->setValue(1);
    for (QCheckBox* box : m_weekdays) {
        box->setChecked(false);
    }
    m_weekdays.value(first.dayOfWeek() - 1)->setChecked(true);
    m_freq->setCurrentIndex(None);
    m_end->setCurrentIndex(Never);
    setFirstDate(first);
    if (rrule) {
        const RRuleCheck check = checkRRule(*rrule, first);
        const RRule& r = check.rule;
        m_freq->setCurrentIndex(int(r.freq) + 1);
        m_interval->setValue(r.interval);
        m_end->setCurrentIndex(r.until.isValid() ? Until : r.count > 0 ? Count : Never);
        if (r.until.isValid()) {
            m_until->setDate(r.until);
        }
        if (r.count > 0) {
            m_count->setValue(r.count);
        }
        if (r.freq == RuleFreq::Weekly && !r.byDay.isEmpty()) {
            for (QCheckBox* box : m_weekdays) {
                box->setChecked(false);
            }
            for (const RuleDay& d : r.byDay) {
                m_weekdays.value(d.weekday - 1)->setChecked(true);
            }
        }
        if (r.freq == RuleFreq::Monthly) {
            m_monthly->setCurrentIndex(r.byMonthDay == QList<int>{-1} ? LastDay
                                       : r.byDay.isEmpty()            ? ByDate
                                                                      : ByWeekday);
        }
        // What the controls would write back: when it differs, the rule is kept as it is.
        if (!check.ok || composed() != rrule->trimmed().toUpper()) {
            m_kept = rrule->trimmed();
        }
    }
    m_filling = false;
    update();
}

void RepeatSection::setFirstDate(const QDate& first)
{
    const bool filling = m_filling;
    m_filling = true;
    m_first = first;
    const int monthly = m_monthly->currentIndex();
    m_monthly->clear();
    m_monthly->addItems(
        {QStringLiteral("%1日").arg(first.day()), ordinalText(first), QStringLiteral("月末")});
    m_monthly->setCurrentIndex(std::max(monthly, 0));
    m_filling = filling;
    if (!filling) {
        update();
    }
}

bool RepeatSection::isRepeating() const
{
    return m_freq->currentIndex() != None;
}

QString RepeatSection::composed() const
{
    static const char* const freqs[] = {"", "DAILY", "WEEKLY", "MONTHLY", "YEARLY"};
    QStringList parts{QStringLiteral("FREQ=") + QLatin1String(freqs[m_freq->currentIndex()])};
    if (m_interval->value() > 1) {
        parts.append(QStringLiteral("INTERVAL=%1").arg(m_interval->value()));
    }
    if (m_freq->currentIndex() == Weekly) {
        QStringList days;
        for (int i = 0; i < 7; ++i) {
            if (m_weekdays.at(i)->isChecked()) {
                days.append(weekdayCode(i + 1));
            }
        }
        if (!days.isEmpty()) {
            parts.append(QStringLiteral("BYDAY=") + days.join(u','));
        }
    }
    if (m_freq->currentIndex() == Monthly) {
        if (m_monthly->currentIndex() == ByWeekday) {
            parts.append(QStringLiteral("BYDAY=%1%2")
                             .arg(weekdayOrdinal(m_first))
                             .arg(weekdayCode(m_first.dayOfWeek())));
        } else if (m_monthly->currentIndex() == LastDay) {
            parts.append(QStringLiteral("BYMONTHDAY=-1"));
        } else {
            parts.append(QStringLiteral("BYMONTHDAY=%1").arg(m_first.day()));
        }
    }
    if (m_end->currentIndex() == Until) {
        parts.append(QStringLiteral("UNTIL=") + m_until->date().toString(QStringLiteral("yyyyMMdd")));
    } else if (m_end->currentIndex() == Count) {
        parts.append(QStringLiteral("COUNT=%1").arg(m_count->value()));
    }
    return parts.join(u';');
}

QString RepeatSection::rrule() const
{
    if (!isRepeating()) {
        return {};
    }
    return m_kept.isEmpty() ? composed() : m_kept;
}

HolidayRule RepeatSection::holiday() const
{
    return HolidayRule(m_holiday->currentIndex());
}

QString RepeatSection::problem() const
{
    if (!isRepeating()) {
        return {};
    }
    if (m_freq->currentIndex() == Weekly && m_kept.isEmpty() &&
        std::none_of(m_weekdays.cbegin(), m_weekdays.cend(), [](QCheckBox* b) { return b->isChecked(); })) {
        return QStringLiteral("繰り返す曜日を選んでください");
    }
    return checkRRule(rrule(), m_first).message;
}

void RepeatSection::update()
{
    const int freq = m_freq->currentIndex();
    m_details->setVisible(freq != None);
    m_weekRow->setVisible(freq == Weekly);
    m_monthly->setVisible(freq == Monthly);
    m_until->setVisible(m_end->currentIndex() == Until);
    m_count->setVisible(m_end->currentIndex() == Count);
    static const char* const units[] = {"", "日ごと", "週ごと", "か月ごと", "年ごと"};
    m_unit->setText(QString::fromUtf8(units[freq]));
    if (freq == None) {
        m_words->clear();
        m_next->clear();
        emit changed();
        return;
    }
    const RRuleCheck check = checkRRule(rrule(), m_first);
    const QString problemText = problem();
    if (!problemText.isEmpty()) {
        m_words->setText(problemText);
        m_next->clear();
        emit changed();
        return;
    }
    m_words->setText(describeRule(check.rule, m_first, holiday()));
    RepeatRule rule;
    rule.first = m_first;
    rule.rrule = rrule();
    QStringList next;
    const RuleDates dates = expandRRule(rule.rrule, m_first, m_first, m_first.addYears(5));
    for (const QDate& d : dates.dates) {
        if (next.size() == kNextDates) {
            break;
        }
        next.append(d.toString(QStringLiteral("yyyy/MM/dd(")) +
                    QString::fromUtf8(kDayNames[d.dayOfWeek() - 1]) + u')');
    }
    m_next->setText(QStringLiteral("次の日付 : ") + next.join(QStringLiteral("、")) +
                    (holiday() == HolidayRule::None ? QString() : QStringLiteral("（祝日の扱いの前）")));
    emit changed();
}

} // namespace nox
