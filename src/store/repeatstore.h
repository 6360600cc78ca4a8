#pragma once
// RepeatStore: the schedule book's memory of "repeat.nox" (format in
// store/repeatrule.h) and of the occurrences of its rules. Private to the
// book (store/schedulebook.cpp), which hands occurrences out with the
// day-file schedules of each day and changes rules through it.
//
// Reading: the file is read again whenever its stamp changed (as the day
// files are, core/filestamp.h); a line that is no rule is kept and told
// once (takeNotices). The holiday list of the data folder (else of the
// default folder, extended by the holiday law) is read the same way for
// the holiday rules.
//
// Occurrences are computed a month at a time for every rule and kept until
// the rules or the holidays change, so a step to a month already seen costs
// no expansion, and one to a new month costs one jump per rule.
//
// Writing: every change is applied to the file as it stands at that moment
// (read again when another program changed it) and written through the one
// atomic writer; lines that are no rule and rules the change does not touch
// keep their bytes. A change of a rule that another program changed since
// the caller was shown it keeps both: theirs, and the caller's under a new
// ID (ChangedOnDisk). Thread-safe.
#include <QDate>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <functional>

#include "core/filestamp.h"
#include "core/textfile.h"
#include "store/bookresult.h"
#include "store/holidays.h"
#include "store/repeatexpand.h"
#include "store/repeatrule.h"

namespace nox
{

class RepeatStore
{
public:
    // `defaultFolder`: where the holiday list is read when the data folder
    // has none (empty: nowhere else).
    RepeatStore(QString dataFolder, QString defaultFolder);

    QString path() const { return m_path; }

    // The rules as the file holds them now (in file order), and the lines
    // that are none. Failed when the file exists but cannot be read.
    BookResult rules(QList<RepeatRule>* rules, QList<RepeatProblem>* problems = nullptr);
    // The rule with this ID: Ok with *rule set, or NotFound / Failed.
    BookResult rule(qint32 id, RepeatRule* rule);

    // The occurrences of every rule on `date` (or in from..to), as records:
    // the rule's schedule with Date the occurrence's day, RuleID its rule
    // and RuleDate the date the rule gave. Rules whose file cannot be read
    // give none (told once through takeNotices).
    QList<TSkedRec> occurrencesOn(const QDate& date);
    QList<TSkedRec> occurrences(const QDate& from, const QDate& to);
    // Notices not told yet: lines that are no rule, an unreadable file, an
    // expansion cut short. Each is handed out once.
    QStringList takeNotices();

    // --- changing (each reads the file as it stands, then writes it) -------
    // Adds the rule under its own ID when that is a rule ID no rule has (an
    // import of exported rules keeps their IDs), else under a fresh ID
    // (rule.id is set to it).
    BookResult add(RepeatRule* rule);
    // Lets `edit` change the rule `id` (its ID stays); NotFound when the file
    // has no such rule. When `shown` is given and the file's rule differs
    // from it, the file's stays and the edited one is added under a new ID
    // (ChangedOnDisk; result.count = the new ID).
    BookResult change(qint32 id, const std::function<void(RepeatRule&)>& edit,
                      const RepeatRule* shown = nullptr);
    BookResult remove(qint32 id);

    // Drops what is kept in memory (tests and benchmarks).
    void forget();

private:
    struct Loaded {
        FileStamp stamp;
        bool exists = false;
        bool bom = false;
        QList<TextLine> lines;
        QList<RepeatRule> rules;
        QList<int> ruleLine; // index in `lines` of each rule
        QList<RepeatProblem> problems;
    };
    BookResult refresh(); // m_lock held
    BookResult readFile(Loaded* into) const;
    void refreshHolidays();         // m_lock held
    void expandMonth(int monthKey); // m_lock held
    // The occurrences of one rule in from..to. m_lock held.
    QList<Occurrence> occurrencesOf(const RepeatRule& rule, const QDate& from, const QDate& to);
    void forgetOccurrences(); // m_lock held
    BookResult write(Loaded& fresh, const QList<RepeatRule>& rules, const QList<RepeatRule>& added);
    qint32 freshId(const QList<RepeatRule>& rules) const;
    bool isOffDay(const QDate& date) const;
    void tell(const QString& notice);

    QString m_folder;
    QString m_defaultFolder;
    QString m_path;
    QMutex m_lock;
    Loaded m_loaded;
    bool m_loadedOnce = false;
    QElapsedTimer m_checked; // since the file was last read or compared
    BookResult m_readResult = BookResult::success({});
    HolidayList m_holidays;
    FileStamp m_holidayStamp;
    bool m_holidaysRead = false;
    QHash<int, bool> m_months;                  // months expanded (year * 12 + month - 1)
    QHash<qint32, QList<TSkedRec>> m_byDay;     // day number -> occurrences
    QHash<qint32, QList<QDate>> m_countedDates; // every date of each rule with COUNT
    QStringList m_notices;
    QStringList m_told; // notices handed out already
};

} // namespace nox
