// Merging the view's change of a day with another program's change of its
// file: what each side changed survives.
#include <QtTest>

#include "../common/records.h"
#include "store/daymerge.h"

using namespace nox;

namespace
{

// "7" is schedule 7 as the base knew it, "7'" changed one way, "7''" another.
TSkedRec rec(const QString& desc)
{
    return testing::skedRecord(QDate(2003, 3, 5), 16, desc.section(u'\'', 0, 0).toInt(), QStringLiteral("予定") + desc);
}

QList<TSkedRec> recs(const QString& text)
{
    QList<TSkedRec> list;
    for (const QString& s : text.split(u' ', Qt::SkipEmptyParts)) {
        list << rec(s);
    }
    return list;
}

// The records as short descriptions, fresh IDs shown as "new:" with the
// description of their text.
QString descriptions(const QList<TSkedRec>& records)
{
    QStringList out;
    for (const TSkedRec& r : records) {
        const QString desc = r.Text.mid(2);
        out << (r.ID >= 900 ? QStringLiteral("new:") + desc : desc);
    }
    return out.join(u' ');
}

} // namespace

class TestDayMerge : public QObject
{
    Q_OBJECT
private slots:
    void merge_data();
    void merge();
};

void TestDayMerge::merge_data()
{
    QTest::addColumn<QString>("base");
    QTest::addColumn<QString>("mine");
    QTest::addColumn<QString>("theirs");
    QTest::addColumn<QString>("merged");
    QTest::newRow("no change") << "1 2" << "1 2" << "1 2" << "1 2";
    QTest::newRow("changed here") << "1 2" << "1' 2" << "1 2" << "1' 2";
    QTest::newRow("changed there") << "1 2" << "1 2" << "1 2'" << "1 2'";
    QTest::newRow("each changed another") << "1 2" << "1' 2" << "1 2'" << "1' 2'";
    QTest::newRow("both the same change") << "1 2" << "1' 2" << "1' 2" << "1' 2";
    QTest::newRow("both changed it differently") << "1" << "1'" << "1''" << "1'' new:1'";
    QTest::newRow("added here") << "1" << "1 5" << "1" << "1 5";
    QTest::newRow("added there") << "1" << "1" << "1 7" << "1 7";
    QTest::newRow("added on both sides") << "1" << "1 5" << "1 7" << "1 7 5";
    QTest::newRow("added here under an ID used there") << "1" << "1 7" << "1 7'" << "1 7' new:7";
    QTest::newRow("deleted here") << "1 2" << "2" << "1 2" << "2";
    QTest::newRow("deleted there") << "1 2" << "1 2" << "2" << "2";
    QTest::newRow("deleted here, changed there") << "1 2" << "2" << "1' 2" << "1' 2";
    QTest::newRow("changed here, deleted there") << "1 2" << "1' 2" << "2" << "2 1'";
    QTest::newRow("the file emptied") << "1 2" << "1 2" << "" << "";
    QTest::newRow("a line twice in the file") << "1" << "1'" << "1 1" << "1' 1";
}

void TestDayMerge::merge()
{
    QFETCH(QString, base);
    QFETCH(QString, mine);
    QFETCH(QString, theirs);
    QFETCH(QString, merged);
    qint32 next = 900;
    QCOMPARE(descriptions(mergeDayRecords(recs(base), recs(mine), recs(theirs), [&] { return next++; })), merged);
}

QTEST_GUILESS_MAIN(TestDayMerge)
#include "tst_daymerge.moc"
