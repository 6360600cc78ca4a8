// The schedule editor's "繰り返し" section: a new schedule becomes a rule, the
// rule is told in words with its next dates, and a change of an occurrence
// asks which occurrences it is for.
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "dialogs/repeatsection.h"
#include "dialogs/scheduleeditor.h"
#include "store/schedulebook.h"

using namespace nox;

namespace
{

const QDate kDay(2026, 1, 13); // the second Tuesday of January

void typeText(QWidget* box, const QString& text)
{
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(box, &commit);
}

void choose(QComboBox* list, int index)
{
    list->setFocus();
    while (list->currentIndex() < index) {
        QTest::keyClick(list, Qt::Key_Down);
    }
}

// Clicks the button of the question box that is up now.
void answer(const QString& button)
{
    QTimer::singleShot(0, [button] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == button) {
                QTest::mouseClick(b, Qt::LeftButton);
                return;
            }
        }
        QFAIL("no such button");
    });
}

} // namespace

class TestRepeatEditor : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void wordsAndNextDates_data();
    void wordsAndNextDates();
    void newScheduleBecomesARule();
    void occurrenceChangeAsksTheScope_data();
    void occurrenceChangeAsksTheScope();

private:
    bool run(TSkedRec& rec, TEditorMode mode, const std::function<void(TForm2*)>& action);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScheduleBook> m_book;
};

void TestRepeatEditor::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_book = std::make_unique<ScheduleBook>(m_dir->path(), nullptr);
}

bool TestRepeatEditor::run(TSkedRec& rec, TEditorMode mode, const std::function<void(TForm2*)>& action)
{
    TScheduleEditorSetup setup;
    setup.book = m_book.get();
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<TForm2*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        action(dialog);
        if (dialog->isVisible()) {
            dialog->reject();
        }
    });
    return ShowScheduleEditor(nullptr, rec, mode, setup);
}

void TestRepeatEditor::wordsAndNextDates_data()
{
    QTest::addColumn<int>("freq");
    QTest::addColumn<int>("monthly");
    QTest::addColumn<int>("end");
    QTest::addColumn<QString>("words");
    QTest::addColumn<QString>("rrule");
    QTest::newRow("second Tuesday until a date") << 3 << 1 << 1 << "毎月第2火曜日、2026年4月13日まで"
                                                 << "FREQ=MONTHLY;BYDAY=2TU;UNTIL=20260413";
    QTest::newRow("month end, ten times") << 3 << 2 << 2 << "毎月末日、10回"
                                          << "FREQ=MONTHLY;BYMONTHDAY=-1;COUNT=10";
    QTest::newRow("weekly") << 2 << 0 << 0 << "毎週火曜日"
                            << "FREQ=WEEKLY;BYDAY=TU";
    QTest::newRow("yearly") << 4 << 0 << 0 << "毎年1月13日"
                            << "FREQ=YEARLY";
}

void TestRepeatEditor::wordsAndNextDates()
{
    QFETCH(int, freq);
    QFETCH(int, monthly);
    QFETCH(int, end);
    QFETCH(QString, words);
    QFETCH(QString, rrule);
    RepeatSection section;
    section.setRule(std::nullopt, HolidayRule::None, kDay);
    section.show();
    QVERIFY(!section.NextDatesLabel()->isVisible()); // only the first row while しない
    choose(section.FrequencyList(), freq);
    choose(section.MonthlyList(), monthly);
    choose(section.EndList(), end);
    QCOMPARE(section.rrule(), rrule);
    QCOMPARE(section.WordsLabel()->text(), words);
    QVERIFY(section.NextDatesLabel()->text().contains(QStringLiteral("2026/01/")));
    QVERIFY(section.problem().isEmpty());
}

void TestRepeatEditor::newScheduleBecomesARule()
{
    TSkedRec rec;
    rec.setDate(kDay);
    rec.StartTime = 20;
    rec.EndTime = 21;
    rec.ID = 100000000;
    const bool ok = run(rec, emNew, [](TForm2* d) {
        typeText(d->TextBox(), QStringLiteral("定例会"));
        choose(d->Repeat()->FrequencyList(), 3);
        choose(d->Repeat()->MonthlyList(), 1);
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    });
    QVERIFY(ok);
    QList<RepeatRule> rules;
    QVERIFY(m_book->rules(&rules).ok());
    QCOMPARE(rules.size(), 1);
    QCOMPARE(rules.first().rrule, QStringLiteral("FREQ=MONTHLY;BYDAY=2TU"));
    QCOMPARE(m_book->lines(kDay).lines, QStringList{});
    QCOMPARE(m_book->day(QDate(2026, 2, 10)).records.value(0).Text, QStringLiteral("定例会"));
}

void TestRepeatEditor::occurrenceChangeAsksTheScope_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("texts"); // of 13 Jan, 10 Feb, 10 Mar
    QTest::newRow("this one") << "この予定のみ" << QStringList{"定例", "変更", "定例"};
    QTest::newRow("following") << "これ以降" << QStringList{"定例", "変更", "変更"};
    QTest::newRow("all") << "すべて" << QStringList{"変更", "変更", "変更"};
    QTest::newRow("cancel") << "キャンセル" << QStringList{"定例", "定例", "定例"};
}

void TestRepeatEditor::occurrenceChangeAsksTheScope()
{
    QFETCH(QString, button);
    QFETCH(QStringList, texts);
    RepeatRule rule;
    rule.first = kDay;
    rule.rrule = QStringLiteral("FREQ=MONTHLY;BYDAY=2TU");
    rule.sked.Text = QStringLiteral("定例");
    QVERIFY(m_book->addRule(&rule).ok());
    TSkedRec occurrence = m_book->day(QDate(2026, 2, 10)).records.value(0);
    QVERIFY(occurrence.isOccurrence());
    run(occurrence, emEdit, [&](TForm2* d) {
        QCOMPARE(d->Repeat()->FrequencyList()->currentIndex(), 3);
        d->TextBox()->selectAll();
        typeText(d->TextBox(), QStringLiteral("変更"));
        answer(button);
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    });
    QStringList now;
    for (const QDate& date : {QDate(2026, 1, 13), QDate(2026, 2, 10), QDate(2026, 3, 10)}) {
        now.append(m_book->look(date).records.value(0).Text);
    }
    QCOMPARE(now, texts);
}

QTEST_MAIN(TestRepeatEditor)
#include "tst_repeateditor.moc"
