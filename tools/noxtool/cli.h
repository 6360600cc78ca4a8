#pragma once
// Command-line parsing of noxtool: options, dates and half-hour times.
#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

namespace nox::tool
{

enum ExitCode { exitOk = 0, exitNotFound = 1, exitUsage = 2 };

struct Options {
    QString dataDir; // empty: Nox's own data folder
    bool force = false;
    bool help = false;
    bool version = false;
    std::optional<QString> memo;
    std::optional<QString> category;
    std::optional<QString> alarm;
    // search and export
    std::optional<QString> target;
    std::optional<QString> from;
    std::optional<QString> to;
    std::optional<QString> image;
    std::optional<QString> layout;
    // repeat add
    std::optional<QString> rrule;
    std::optional<QString> holiday;
    // ical import and export
    bool dryRun = false;
    bool skipBad = false;
    std::optional<QString> output; // -o FILE
    QStringList positional; // command words and their arguments
};

// Splits the arguments (without the program name) into options and
// positional words. "--" ends the options; "-" is a positional word;
// "-o FILE" is the one short option.
// Returns false with *error set on an unknown option or a missing value.
bool parseOptions(const QStringList& args, Options* options, QString* error);

// "2026-12-07": four-digit year, two-digit month and day, a real date.
std::optional<QDate> parseDate(const QString& text);
// "8:30", "08:30", "23:30" -> the half-hour slot 0..47; none for anything
// off the grid.
std::optional<int> parseSlot(const QString& text);
// Alarm lead times the schedule editor offers, in minutes.
const QList<int>& alarmChoices();

} // namespace nox::tool
