// A long random run of memo writes and deletes, then noxtool must find the
// file sound and read the same memos as the store holds.
#include <QMap>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include "../common/scratchdir.h"
#include "store/memostore.h"
#include "toolrunner.h"

using namespace nox;

namespace
{

const QDate kFirstDay(2020, 1, 1);
constexpr int kDays = 3000;
constexpr int kOperations = 100000;

QString randomMemo(QRandomGenerator& rng)
{
    static const QString pieces[] = {"会議", "メモ", "note ", "①", "～", "\n", "買い物", "x"};
    QString text;
    const int n = int(rng.bounded(rng.bounded(10) == 0 ? 200 : 12));
    for (int i = 0; i < n; ++i) {
        text += pieces[rng.bounded(8)];
    }
    return text;
}

} // namespace

class TestNoxToolStress : public QObject
{
    Q_OBJECT
private slots:
    void randomWritesAndDeletesStaySound();
};

void TestNoxToolStress::randomWritesAndDeletesStaySound()
{
    QTemporaryDir dir(memoryBackedTemplate());
    QRandomGenerator rng(20261207);
    QMap<int, QString> expected; // day offset -> memo
    {
        MemoStore store;
        QVERIFY(store.open(dir.path()).ok());
        for (int op = 0; op < kOperations; ++op) {
            const int offset = int(rng.bounded(kDays));
            const QDate date = kFirstDay.addDays(offset);
            if (rng.bounded(4) == 0) {
                const int result = store.recordFile().remove(memoKey(date));
                QCOMPARE(result, expected.remove(offset) ? btr::kOk : btr::kNotFound);
            } else {
                const QString text = randomMemo(rng);
                QVERIFY(store.write(date, text).ok());
                expected[offset] = text;
            }
        }
        for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
            QCOMPARE(store.read(kFirstDay.addDays(it.key())), it.value());
        }
    }

    const ToolRun check = runNoxToolOn(dir.path(), {"memo", "check"});
    QVERIFY2(check.exitCode == 0, qPrintable(check.err));
    QVERIFY2(check.out.contains(QStringLiteral(" %1 records").arg(expected.size())), qPrintable(check.out));

    // A sample read back through the tool.
    for (int i = 0; i < 10; ++i) {
        const int offset = int(rng.bounded(kDays));
        const ToolRun get =
            runNoxToolOn(dir.path(), {"memo", "get", kFirstDay.addDays(offset).toString(Qt::ISODate)});
        const QString memo = expected.value(offset);
        QCOMPARE(get.exitCode, memo.isEmpty() ? 1 : 0);
        QCOMPARE(get.out, memo.isEmpty() ? QString() : memo + "\n");
    }
}

QTEST_GUILESS_MAIN(TestNoxToolStress)
#include "tst_noxtool_stress.moc"
