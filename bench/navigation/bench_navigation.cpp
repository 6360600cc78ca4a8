// Navigation of the main window on a data folder: a week step of the day view
// with 7 columns and a month step of the month view, each a refill of the
// view from the day files and what it sets off: the events the step posted
// (the window's update request among them) are delivered at once, so that
// all the step changed is laid out, painted and put on screen before the
// clock stops.
//
//   bench_navigation --home DIR [--steps N] [--gap MS]
//   bench_navigation --home DIR --keep-all
//
// After each step the program waits in its event loop for MS milliseconds
// before the next one (default 0: the steps follow each other at once). With
// 40, a key held down under X (25 repeats a second): the program then reads
// ahead the days of the next steps between them, as it does between a
// user's, and its processor is idle.
// DIR is a program folder as NOX_HOME takes it (bench/make_data.py fills one).
// Prints, for each measure, the median and the quartiles in milliseconds:
//
//   week-step-ms MEDIAN Q1 Q3        next week, 7 columns, days not shown before
//   week-back-ms MEDIAN Q1 Q3        previous week, back over days already shown
//   month-step-ms MEDIAN Q1 Q3       next month, days not shown before
//   month-back-ms MEDIAN Q1 Q3       previous month, back over days already shown
//   koyomi-week-step-ms, koyomi-month-step-ms MEDIAN Q1 Q3
//                                    the same steps with every calendar mark
//                                    on (六曜, old date, solar terms), timed in
//                                    turns with the marks off (the plain
//                                    figures above come from those turns)
//   koyomi-month-ratio R             koyomi-month-step median / month-step median
//   rss-kb N                         resident memory after the steps
//   rss-all-kb N                     ... after every month of the folder was shown
//   bare-week-step-ms MEDIAN Q1 Q3   the anchor: a bare Qt window of the day
//   bare-month-step-ms MEDIAN Q1 Q3  view's (month view's) size showing the
//                                    same days' texts, drawn with
//                                    QPainter::drawText, step by step
//
// With --keep-all, no steps; instead:
//
//   rss-start-kb N                   resident memory after the start-up
//   rss-cached-kb N                  ... then with every day file read into the
//                                    book's memory (as a read ahead reads)
//   cached-days N                    the days the book then keeps
//   cached-bytes N                   their size as the book estimates it
//
// Runs on the platform the environment names (the start-up benchmark runs it
// under the same X server as the program).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <ctime>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QLocale>
#include <QPainter>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/appenvironment.h"
#include "app/mainform.h"
#include "core/folders.h"
#include "monthview/monthview.h"
#include "sked/skedcontrol.h"
#include "store/dayfile.h"
#include "store/schedulebook.h"
#include "store/skedrec.h"

namespace
{

using Step = std::function<void()>;

struct Spread {
    double median = 0, q1 = 0, q3 = 0;
};

Spread spread(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) { return values.at(qsizetype(q * double(values.size() - 1) + 0.5)); };
    return values.isEmpty() ? Spread{} : Spread{at(0.5), at(0.25), at(0.75)};
}

double threadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Times `steps` calls of `step`, each followed by its posted events: the time
// on the clock and the processor time of the thread (which a busy machine
// does not inflate).
struct StepTimes {
    QList<double> wallMs;
    QList<double> cpuMs;
};
StepTimes timeSteps(int steps, int gapMs, const Step& step)
{
    StepTimes times;
    for (int i = 0; i < steps; ++i) {
        QElapsedTimer clock;
        const double cpu = threadCpuMs();
        clock.start();
        step();
        QCoreApplication::sendPostedEvents();
        times.wallMs.append(double(clock.nsecsElapsed()) / 1e6);
        times.cpuMs.append(threadCpuMs() - cpu);
        // Let the posted events of the step run outside the measurement, and
        // the program wait in its event loop until the next step, as between
        // a user's steps (blocked in the loop, not polling it).
        QCoreApplication::processEvents();
        if (gapMs > 0) {
            QEventLoop idle;
            QTimer::singleShot(gapMs, Qt::PreciseTimer, &idle, &QEventLoop::quit);
            idle.exec();
        }
    }
    return times;
}

void print(const char* name, const StepTimes& times)
{
    const Spread s = spread(times.wallMs);
    std::printf("%s-ms %.3f %.3f %.3f\n", name, s.median, s.q1, s.q3);
    const Spread c = spread(times.cpuMs);
    std::printf("%s-cpu-ms %.3f %.3f %.3f\n", name, c.median, c.q1, c.q3);
}

qint64 rssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return -1;
    }
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
        }
    }
    return -1;
}

// Months from the first day file to the last.
int monthsOfData()
{
    const QList<QDate> dates = nox::listDayFiles(nox::folders::dataFolder());
    if (dates.isEmpty()) {
        return 0;
    }
    const QDate a = dates.first(), b = dates.last();
    return (b.year() - a.year()) * 12 + b.month() - a.month() + 1;
}

// Steps of a window that is no longer on screen (closed by the window
// manager, say) paint nothing: their times would pass for a step's.
void requireOnScreen(const QWidget& window)
{
    if (!window.isVisible() || !window.windowHandle() || !window.windowHandle()->isExposed()) {
        std::fputs("bench_navigation: the window left the screen during the steps; no times are given\n", stderr);
        std::exit(1);
    }
}

// The marks the koyomi- measures turn on: all (六曜 1 | old date 2 | solar
// terms 4), or those of NOX_BENCH_MARKS.
const int kAllMarks =
    qEnvironmentVariableIsSet("NOX_BENCH_MARKS") ? qEnvironmentVariableIntValue("NOX_BENCH_MARKS") : 7;

void setCalendarMarks(nox::TNoxMainForm& form, int marks)
{
    nox::TNoxSettings s = form.settings();
    s.calendarMarks = marks;
    form.ApplyOtherSettings(s);
    QCoreApplication::processEvents();
}

// Steps one way, then as many back, with the calendar marks off and on in
// turns of `steps / 4` steps (a busy machine slows both alike; each turn's
// steps go on from where the last one stopped, so that every step forward
// shows days not shown before): prints KIND-step/back for the marks off,
// koyomi-KIND-step/back for them on and the ratio of the two step medians.
void timeWithAndWithoutMarks(nox::TNoxMainForm& form, const char* kind, int steps, int gapMs,
                             const Step& there, const Step& back)
{
    StepTimes off[2], on[2];
    const int turn = qMax(1, steps / 4);
    for (int way = 0; way < 2; ++way) {
        for (int done = 0; done < steps; done += turn) {
            for (const bool marks : {false, true}) {
                setCalendarMarks(form, marks ? kAllMarks : 0);
                const StepTimes t = timeSteps(turn, gapMs, way == 0 ? there : back);
                StepTimes& to = marks ? on[way] : off[way];
                to.wallMs += t.wallMs;
                to.cpuMs += t.cpuMs;
            }
        }
    }
    requireOnScreen(form);
    const QByteArray k(kind);
    print((k + "-step").constData(), off[0]);
    print((k + "-back").constData(), off[1]);
    print(("koyomi-" + k + "-step").constData(), on[0]);
    print(("koyomi-" + k + "-back").constData(), on[1]);
    std::printf("koyomi-%s-ratio %.3f\n", kind, spread(on[0].wallMs).median / spread(off[0].wallMs).median);
}

bool waitForExposed(QWidget& window)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (window.windowHandle() && window.windowHandle()->isExposed()) {
            return true;
        }
    }
    return false;
}

// The anchor of a step: a bare Qt window that shows, page by page, the texts
// of the days a step of the program shows (a heading for each day and a line
// for each schedule, its time and the first line of its text), each drawn
// with QPainter::drawText into its cell of a grid on a fresh fill. Nothing is
// kept from one paint to the next but what Qt itself keeps (its glyph cache).
class BareDays : public QWidget
{
public:
    struct Day {
        QString heading;
        QStringList lines;
    };
    BareDays(QList<QList<Day>> pages, int columns, QSize size)
        : m_pages(std::move(pages)), m_columns(columns)
    {
        resize(size);
    }
    void step()
    {
        m_page = (m_page + 1) % qMax(1, int(m_pages.size()));
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        const QList<Day>& days = m_pages.value(m_page);
        const int rows = qMax(1, int((days.size() + m_columns - 1) / m_columns));
        const int w = width() / m_columns, h = height() / rows;
        const int line = fontMetrics().height();
        for (int c = 1; c < m_columns; ++c) {
            p.fillRect(QRect(c * w, 0, 1, height()), Qt::gray);
        }
        for (int r = 1; r < rows; ++r) {
            p.fillRect(QRect(0, r * h, width(), 1), Qt::gray);
        }
        p.setPen(Qt::black);
        for (qsizetype i = 0; i < days.size(); ++i) {
            const QRect cell(int(i % m_columns) * w + 2, int(i / m_columns) * h + 1, w - 3, h - 2);
            p.drawText(QRect(cell.topLeft(), QSize(cell.width(), line)), Qt::AlignLeft | Qt::AlignVCenter,
                       days[i].heading);
            int y = cell.top() + line;
            for (const QString& text : days[i].lines) {
                if (y + line > cell.bottom() + 1) {
                    break;
                }
                p.drawText(QRect(cell.left(), y, cell.width(), line), Qt::AlignLeft | Qt::AlignVCenter, text);
                y += line;
            }
        }
    }

private:
    QList<QList<Day>> m_pages;
    int m_columns;
    int m_page = 0;
};

BareDays::Day bareDay(const nox::ScheduleBook& book, const QDate& date, const QString& heading)
{
    BareDays::Day day{heading, {}};
    for (const nox::TSkedRec& rec : book.day(date).records) {
        day.lines.append(nox::skedTimeText(rec.StartTime) + u' ' +
                         nox::unescapeSkedText(nox::skedFirstLine(rec.Text)));
    }
    return day;
}

// `pages` pages of `days` days, the first day of each from `firstOfPage`.
QList<QList<BareDays::Day>> barePages(const nox::ScheduleBook& book, int days, int pages,
                                      const std::function<QDate(int)>& firstOfPage)
{
    const QLocale japanese(QLocale::Japanese, QLocale::Japan);
    QList<QList<BareDays::Day>> made;
    for (int page = 0; page < pages; ++page) {
        const QDate first = firstOfPage(page);
        QList<BareDays::Day> shown;
        for (int d = 0; d < days; ++d) {
            const QDate date = first.addDays(d);
            shown.append(bareDay(book, date, days == 7 ? japanese.toString(date, QStringLiteral("M/d(ddd)"))
                                                       : QString::number(date.day())));
        }
        made.append(shown);
    }
    return made;
}

// Times the anchor's steps as the program's are timed.
void timeBareSteps(const char* name, QList<QList<BareDays::Day>> pages, int columns, QSize size, int steps,
                   int gapMs)
{
    BareDays bare(std::move(pages), columns, size);
    bare.show();
    if (!waitForExposed(bare)) {
        std::fputs("bench_navigation: the bare window was not shown; no times are given\n", stderr);
        std::exit(1);
    }
    QCoreApplication::processEvents();
    const StepTimes times = timeSteps(steps, gapMs, [&] { bare.step(); });
    requireOnScreen(bare);
    print(name, times);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    nox::setUpJapaneseEnvironment(app);
    const QStringList args = app.arguments();
    const qsizetype homeAt = args.indexOf(QStringLiteral("--home"));
    const qsizetype stepsAt = args.indexOf(QStringLiteral("--steps"));
    const qsizetype gapAt = args.indexOf(QStringLiteral("--gap"));
    if (homeAt < 0 || homeAt + 1 >= args.size()) {
        std::fputs("usage: bench_navigation --home DIR [--steps N] [--gap MS] [--keep-all]\n", stderr);
        return 2;
    }
    qputenv("NOX_HOME", QFile::encodeName(args.at(homeAt + 1)));
    const int steps = stepsAt >= 0 ? args.value(stepsAt + 1).toInt() : 40;
    const int gapMs = gapAt >= 0 ? args.value(gapAt + 1).toInt() : 0;

    nox::TNoxMainForm::Options options;
    options.startTimer = false;
    nox::TNoxMainForm form(options);
    form.show();
    if (!waitForExposed(form)) {
        std::fputs("bench_navigation: the window was not shown\n", stderr);
        return 1;
    }
    form.timerBeat(); // the deferred start-up
    if (args.contains(QStringLiteral("--keep-all"))) {
        for (int i = 0; i < 2; ++i) {
            QCoreApplication::processEvents();
        }
        std::printf("rss-start-kb %lld\n", rssKb());
        form.book().readAhead(form.book().dates());
        form.book().waitForReadAhead();
        std::printf("rss-cached-kb %lld\n", rssKb());
        const nox::ScheduleBook::CacheStats kept = form.book().cacheStats();
        std::printf("cached-days %d\ncached-bytes %lld\n", kept.days, kept.bytes);
        return 0;
    }
    if (form.viewMode() != nox::TNoxMainForm::vmDay) {
        form.SwitchViewClick();
    }
    const int count = form.skedCount();
    form.SetSkedCount(7);
    form.TodayClick();
    const QDate firstWeek = form.leftDate();
    const QSize weekSize = form.skedControl()->size();

    const int marksBefore = form.settings().calendarMarks;
    timeWithAndWithoutMarks(
        form, "week", steps, gapMs, [&] { form.NextWeekClick(); }, [&] { form.PrevWeekClick(); });
    form.SwitchViewClick();
    form.TodayClick();
    const QDate firstMonth = QDate(form.SelectedDate().year(), form.SelectedDate().month(), 1);
    const QSize monthSize = form.monthView()->size();
    timeWithAndWithoutMarks(
        form, "month", steps, gapMs, [&] { form.NextMonthClick(); }, [&] { form.PrevMonthClick(); });
    setCalendarMarks(form, marksBefore);
    std::printf("rss-kb %lld\n", rssKb());
    // Every month of the folder once: all of it read (and, with a cache of
    // parsed days, kept as far as the cache's bound allows).
    form.TodayClick();
    for (int i = 0; i < 2; ++i) {
        QCoreApplication::processEvents();
    }
    const int months = monthsOfData();
    for (int i = 0; i < months + 2; ++i) {
        form.PrevMonthClick();
    }
    for (int i = 0; i < 2 * months + 4; ++i) {
        form.NextMonthClick();
    }
    QCoreApplication::processEvents();
    std::printf("rss-all-kb %lld\n", rssKb());
    std::fflush(stdout);
    // The anchor, on the pages the program's steps showed (every day read
    // before, outside the timing).
    timeBareSteps("bare-week-step",
                  barePages(form.book(), 7, steps, [&](int page) { return firstWeek.addDays(7 * (page + 1)); }),
                  7, weekSize, steps, gapMs);
    timeBareSteps("bare-month-step",
                  barePages(form.book(), 42, steps,
                            [&](int page) {
                                const QDate month = firstMonth.addMonths(page + 1);
                                return month.addDays(-(month.dayOfWeek() % 7)); // from the Sunday before
                            }),
                  7, monthSize, steps, gapMs);
    // Leave the settings as they were found.
    form.SwitchViewClick();
    form.SetSkedCount(count);
    return 0;
}
