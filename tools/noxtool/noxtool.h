#pragma once
// noxtool: scripting, backups and checks on a Nox data folder.
//
//   noxtool day DATE
//   noxtool add DATE START END TEXT [--memo M] [--category C] [--alarm MIN]
//   noxtool memo get DATE
//   noxtool memo set DATE (TEXT|-)
//   noxtool memo check
//   noxtool holidays [YEAR]
//   noxtool search [--target both|text|memo] [--from DATE] [--to DATE]
//                  [--category C] [--image K] [WORDS...]
//   noxtool export [--layout NAME] OUTPUT [search options] [WORDS...]
//   noxtool repeat add DATE START END TEXT --rrule RULE [--holiday none|skip|before|after]
//                  [--category C] [--alarm N]
//   noxtool repeat list | rm ID | except ID DATE
//   noxtool agenda --from DATE --to DATE [--category C]
//   noxtool ical import (FILE|-) [--dry-run] [--category C] [--skip-bad]
//   noxtool ical export [--from DATE] [--to DATE] [--category C] [-o FILE]
//   common options: --data DIR, --force, --help
//
// Exit codes: 0 done, 1 not found / damaged / failed, 2 usage.
#include <QIODevice>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include "cli.h"

namespace nox
{
struct SearchQuery;
struct SearchOutcome;
} // namespace nox

namespace nox::tool
{

class NoxTool
{
public:
    // `in` is read by "memo set DATE -"; the streams must outlive the tool.
    NoxTool(QTextStream& out, QTextStream& err, QIODevice* in);

    // Runs one command line (without the program name); returns the exit code.
    int run(const QStringList& args);

private:
    int dispatch();
    int day();
    int add();
    int memo();
    int memoGet();
    int memoSet();
    int memoCheck();
    int holidays();
    // search and export (searchcommands.cpp)
    int search();
    int exportResults();
    // koyomi (koyomicommand.cpp)
    int koyomi();
    // repeat rules and the agenda (repeatcommands.cpp)
    int repeat();
    int repeatAdd();
    int repeatList();
    int repeatRemove(bool except);
    int agenda();
    // iCalendar files (icalcommands.cpp)
    int ical();
    int icalImport();
    int icalExport();
    bool rejectIcalOptions(bool import);
    bool rejectRepeatOptions();
    std::optional<qint32> ruleIdArg(int index);
    bool rejectSearchOptions();
    bool searchQuery(int words, SearchQuery* query);
    // Prints the problems of a search; false when there were any.
    bool reportSearchProblems(const SearchOutcome& outcome);

    int usage(const QString& message);
    bool alarmAndCategory(int* alarm, QString* category);
    int fail(int code, const QString& message);
    // Checks the positional word count of the command (after its words).
    bool expectArgs(int words, int minArgs, int maxArgs);
    bool rejectAddOptions();
    // Resolves the data folder into m_folder; a writing command may create
    // the default folder. False (message printed) when it is missing, or
    // for a writing command when files cannot be made in it.
    bool openDataFolder(bool forWriting);
    // False (message printed) when a running Nox holds the folder's lock
    // (core/instancelock.h) and --force was not given.
    bool mayWrite();
    std::optional<QDate> dateArg(int index);

    QTextStream& m_out;
    QTextStream& m_err;
    QIODevice* m_in;
    Options m_opt;
    QString m_folder;
    int m_exitCode = exitOk;
};

} // namespace nox::tool
