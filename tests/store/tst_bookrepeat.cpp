// The schedule book hands out the occurrences of repeat rules with each day
// and changes one, the following or all of them.
#include <QtTest>

#include <QTemporaryDir>

#include "store/schedulebook.h"

using namespace nox;

namespace
{

QDate d(const char* text)
{
    return QDate::fromString(QString::fromLatin1(text), QStringLiteral("yyyyMMdd"));
}

struct RenewSpy : ScheduleAlarmSink {
    int renewals = 0;
    BookResult UpdateScheduleAlarms(const QList<TAlarmUpdate>&) override { return BookResult::success({}); }
    BookResult RenewRuleAlarms(const ScheduleBook&) override
    {
        ++renewals;
        return BookResult::success({});
    }
};

// Texts of the day, occurrences marked with "*".
QStringList dayTexts(const ScheduleBook& book, const QDate& date)
{
    QStringList out;
    for (const TSkedRec& rec : book.look(date).records) {
        out.append(rec.Text + (rec.isOccurrence() ? QStringLiteral("*") : QString()));
    }
    return out;
}

} // namespace

class TestBookRepeat : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void dayHandsOutOccurrences();
    void changeThisOne();
    void changeFollowing();
    void changeFollowingSharesTheCount();
    void changeAll();
    void removeScopes_data();
    void removeScopes();
    void saveDayTakesOccurrencesOneByOne();
    void categoryFilterHidesOccurrences();

private:
    TSkedRec occurrenceOn(const QDate& date);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScheduleBook> m_book;
    RenewSpy m_sink;
    qint32 m_ruleId = 0;
};

void TestBookRepeat::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_book = std::make_unique<ScheduleBook>(m_dir->path(), &m_sink);
    m_sink.renewals = 0;
    RepeatRule rule;
    rule.first = d("20260105"); // a Monday
    rule.rrule = QStringLiteral("FREQ=WEEKLY");
    rule.sked.StartTime = 20;
    rule.sked.EndTime = 21;
    rule.sked.Text = QStringLiteral("週例");
    rule.sked.Category = QStringLiteral("仕事");
    QVERIFY(m_book->addRule(&rule).ok());
    m_ruleId = rule.id;
    QCOMPARE(m_sink.renewals, 1);
}

void TestBookRepeat::cleanup()
{
    m_book.reset();
    m_dir.reset();
}

TSkedRec TestBookRepeat::occurrenceOn(const QDate& date)
{
    for (const TSkedRec& rec : m_book->day(date).records) {
        if (rec.isOccurrence()) {
            return rec;
        }
    }
    return {};
}

void TestBookRepeat::dayHandsOutOccurrences()
{
    TSkedRec plain;
    plain.setDate(d("20260112"));
    plain.ID = m_book->newId();
    plain.Text = QStringLiteral("単発");
    QVERIFY(m_book->add(plain).ok());
    QCOMPARE(dayTexts(*m_book, d("20260112")), (QStringList{"単発", "週例*"}));
    QCOMPARE(dayTexts(*m_book, d("20260113")), QStringList{});
    const TSkedRec occurrence = occurrenceOn(d("20260112"));
    QCOMPARE(occurrence.ID, m_ruleId);
    QCOMPARE(occurrence.ruleDate(), d("20260112"));
    QVERIFY(isRuleId(occurrence.ID) && !isRuleId(plain.ID));
    QCOMPARE(m_book->lookUp(d("20260112"), m_ruleId)->record->Text, QStringLiteral("週例"));
    // Nothing of the rule went into a day file.
    QCOMPARE(m_book->lines(d("20260119")).lines, QStringList{});
}

void TestBookRepeat::changeThisOne()
{
    const TSkedRec occurrence = occurrenceOn(d("20260112"));
    TSkedRec changed = occurrence;
    changed.Text = QStringLiteral("会議室変更");
    changed.setDate(d("20260113"));
    const BookResult result = m_book->changeOccurrence(OccurrenceScope::This, occurrence, changed);
    QVERIFY2(result.ok(), qPrintable(result.message()));
    QCOMPARE(dayTexts(*m_book, d("20260112")), QStringList{});
    QCOMPARE(dayTexts(*m_book, d("20260113")), QStringList{"会議室変更"});
    QCOMPARE(dayTexts(*m_book, d("20260119")), QStringList{"週例*"});
    const TSkedRec single = m_book->look(d("20260113")).records.first();
    QVERIFY(!isRuleId(single.ID));
    QCOMPARE(ruleRefOf(single)->ruleId, m_ruleId);
    QCOMPARE(ruleRefOf(single)->date, d("20260112"));
    // A later change of all of them brings no twin.
    TSkedRec all = occurrenceOn(d("20260119"));
    all.Text = QStringLiteral("週例（新）");
    QVERIFY(m_book->changeOccurrence(OccurrenceScope::All, occurrenceOn(d("20260119")), all).ok());
    QCOMPARE(dayTexts(*m_book, d("20260112")), QStringList{});
    QCOMPARE(dayTexts(*m_book, d("20260113")), QStringList{"会議室変更"});
    QCOMPARE(dayTexts(*m_book, d("20260126")), QStringList{"週例（新）*"});
    // The day-file line is kept out of its rule's date even with the EXDATE gone.
    QVERIFY(m_book->changeRule(m_ruleId, [](RepeatRule& r) { r.excepted.clear(); }).ok());
    QVERIFY(m_book
                ->replace(d("20260113"), single.ID,
                          [&] {
                              TSkedRec back = single;
                              back.setDate(d("20260112"));
                              return back;
                          }())
                .ok());
    QCOMPARE(dayTexts(*m_book, d("20260112")), QStringList{"会議室変更"});
}

void TestBookRepeat::changeFollowing()
{
    TSkedRec changed = occurrenceOn(d("20260202"));
    changed.StartTime = 30;
    changed.EndTime = 31;
    QVERIFY(m_book->changeOccurrence(OccurrenceScope::Following, occurrenceOn(d("20260202")), changed).ok());
    QList<RepeatRule> rules;
    QVERIFY(m_book->rules(&rules).ok());
    QCOMPARE(rules.size(), 2);
    QCOMPARE(rules.at(0).rrule, QStringLiteral("FREQ=WEEKLY;UNTIL=20260201"));
    QCOMPARE(rules.at(1).first, d("20260202"));
    QCOMPARE(occurrenceOn(d("20260126")).StartTime, 20);
    QCOMPARE(occurrenceOn(d("20260202")).StartTime, 30);
    QCOMPARE(occurrenceOn(d("20260302")).StartTime, 30);
    QCOMPARE(m_book->day(d("20260202")).records.size(), 1);
}

void TestBookRepeat::changeFollowingSharesTheCount()
{
    QVERIFY(
        m_book->changeRule(m_ruleId, [](RepeatRule& r) { r.rrule = QStringLiteral("FREQ=WEEKLY;COUNT=6"); })
            .ok());
    TSkedRec changed = occurrenceOn(d("20260126"));
    changed.Text = QStringLiteral("後半");
    QVERIFY(m_book->changeOccurrence(OccurrenceScope::Following, occurrenceOn(d("20260126")), changed).ok());
    const QList<TSkedRec> all = m_book->occurrences(d("20260101"), d("20261231"));
    QCOMPARE(all.size(), 6);
    QCOMPARE(all.at(2).Text, QStringLiteral("週例"));
    QCOMPARE(all.at(3).Text, QStringLiteral("後半"));
    QCOMPARE(all.last().date(), d("20260209"));
}

void TestBookRepeat::changeAll()
{
    TSkedRec changed = occurrenceOn(d("20260119"));
    changed.setDate(d("20260120")); // every one a day later
    changed.Text = QStringLiteral("火曜へ");
    QVERIFY(m_book->changeOccurrence(OccurrenceScope::All, occurrenceOn(d("20260119")), changed).ok());
    QCOMPARE(dayTexts(*m_book, d("20260105")), QStringList{});
    QCOMPARE(dayTexts(*m_book, d("20260106")), QStringList{"火曜へ*"});
    QCOMPARE(dayTexts(*m_book, d("20260127")), QStringList{"火曜へ*"});
    QCOMPARE(m_sink.renewals, 2);
}

void TestBookRepeat::removeScopes_data()
{
    QTest::addColumn<int>("scope");
    QTest::addColumn<int>("left"); // occurrences in January 2026 (4 Mondays)
    QTest::newRow("this") << int(OccurrenceScope::This) << 3;
    QTest::newRow("following") << int(OccurrenceScope::Following) << 2;
    QTest::newRow("all") << int(OccurrenceScope::All) << 0;
}

void TestBookRepeat::removeScopes()
{
    QFETCH(int, scope);
    QFETCH(int, left);
    QVERIFY(m_book->removeOccurrence(OccurrenceScope(scope), occurrenceOn(d("20260119"))).ok());
    QCOMPARE(m_book->occurrences(d("20260101"), d("20260131")).size(), left);
}

void TestBookRepeat::saveDayTakesOccurrencesOneByOne()
{
    // A view that deleted the occurrence of one day and changed that of another.
    QList<TSkedRec> first = m_book->day(d("20260105")).records;
    QCOMPARE(first.size(), 1);
    QVERIFY(m_book->saveDay(d("20260105"), {}).ok());
    QList<TSkedRec> second = m_book->day(d("20260112")).records;
    second.first().Text = QStringLiteral("その場で編集");
    QVERIFY(m_book->saveDay(d("20260112"), second).ok());
    QCOMPARE(dayTexts(*m_book, d("20260105")), QStringList{});
    QCOMPARE(dayTexts(*m_book, d("20260112")), QStringList{"その場で編集"});
    QCOMPARE(dayTexts(*m_book, d("20260119")), QStringList{"週例*"});
    RepeatRule rule;
    QVERIFY(m_book->rule(m_ruleId, &rule).ok());
    QCOMPARE(rule.excepted, (QList<QDate>{d("20260105"), d("20260112")}));
}

void TestBookRepeat::categoryFilterHidesOccurrences()
{
    QCOMPARE(m_book->day(d("20260105"), QStringLiteral("私用")).records.size(), 0);
    QCOMPARE(m_book->day(d("20260105"), QStringLiteral("仕事")).records.size(), 1);
    QCOMPARE(m_book->span(d("20260101"), d("20260131"), QStringLiteral("仕事")).records.size(), 4);
}

QTEST_MAIN(TestBookRepeat)
#include "tst_bookrepeat.moc"
