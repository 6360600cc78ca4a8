// Month and week steps through the schedule book with and without repeat
// rules: each step asks for the days a view shows (42 for a month, 7 for a
// week) of a period the book has not shown yet, as a step of the main window
// refills its view (after which the view has the book read the days around
// ahead, as the program does once the view is painted). The rules file is put into the data folder for the
// second half and taken out again.
//
//   NOX_BENCH_DATA=<data folder> bench_repeatsteps RULES_FILE [STEPS]
//
// RULES_FILE: a repeat.nox (bench_repeat.py --write-rules makes one).
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>

#include "store/schedulebook.h"

using namespace nox;

namespace
{

using Clock = std::chrono::steady_clock;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Milliseconds of each of `steps` steps of `days` days from `start` on.
std::vector<double> stepTimes(const QString& folder, const QDate& start, int days, int steps, bool firstPaint,
                              double* first)
{
    ScheduleBook book(folder, nullptr);
    std::vector<double> times;
    QDate date = start;
    for (int i = 0; i < steps; ++i) {
        const auto t0 = Clock::now();
        int records = 0;
        for (int d = 0; d < days; ++d) {
            records += int(book.day(date.addDays(d)).records.size());
        }
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        // As a view does after its paint: the days a step either way shows
        // are read ahead while the user looks.
        book.readAround(date, date.addDays(days - 1), days);
        book.waitForReadAhead();
        if (i == 0 && firstPaint) {
            *first = ms;
        } else {
            times.push_back(ms);
        }
        date = days == 7 ? date.addDays(7) : date.addMonths(1);
        if (records < 0) {
            std::puts("");
        }
    }
    return times;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: NOX_BENCH_DATA=DIR bench_repeatsteps RULES_FILE [STEPS]\n");
        return 2;
    }
    QTemporaryDir empty;
    const QString folder =
        qEnvironmentVariableIsSet("NOX_BENCH_DATA") ? qEnvironmentVariable("NOX_BENCH_DATA") : empty.path();
    const QString rules = QString::fromLocal8Bit(argv[1]);
    const int steps = argc > 2 ? std::atoi(argv[2]) : 60;
    const QString target = QDir(folder).filePath(QStringLiteral("repeat.nox"));
    if (QFile::exists(target)) {
        std::fprintf(stderr, "%s has a repeat.nox already\n", qPrintable(folder));
        return 2;
    }
    const QDate start(2026, 1, 1);
    struct Row {
        const char* name;
        int days;
    };
    std::printf("%-8s %12s %12s %8s %14s %14s\n", "step", "without ms", "with ms", "ratio", "first without",
                "first with");
    for (const Row row : {Row{"month", 42}, Row{"week", 7}}) {
        double firstWithout = 0;
        double firstWith = 0;
        const auto without = stepTimes(folder, start, row.days, steps, true, &firstWithout);
        QFile::copy(rules, target);
        const auto with = stepTimes(folder, start, row.days, steps, true, &firstWith);
        QFile::remove(target);
        std::printf("%-8s %12.3f %12.3f %8.2f %14.3f %14.3f\n", row.name, median(without), median(with),
                    median(with) / std::max(median(without), 1e-6), firstWithout, firstWith);
    }
    return 0;
}
