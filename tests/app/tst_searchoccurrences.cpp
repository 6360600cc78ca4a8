// Deleting and changing found occurrences of a repeat rule from the search
// window asks which occurrences it is for (one answer for all the rows);
// cancelling changes nothing.
#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTimer>

#include "app/searchlink.h"
#include "mainformfixture.h"
#include "search/ui/bulkchange.h"
#include "search/ui/resultlist.h"
#include "search/ui/searchcombos.h"
#include "search/ui/searchwindow.h"
#include "store/repeatrule.h"
#include "store/schedulebook.h"

using namespace nox;

namespace
{
const qint32 kRule = kRuleIdFirst + 5;

// Clicks, in order, the buttons named in the message boxes that come up
// ("Yes" is the standard button, any other name a button's text).
class Answers : public QObject
{
public:
    explicit Answers(QStringList answers) : m_answers(std::move(answers))
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box == m_last || m_answers.isEmpty()) {
                return;
            }
            m_last = box;
            texts << box->text();
            const QString answer = m_answers.takeFirst();
            QAbstractButton* button =
                answer == QStringLiteral("Yes") ? box->button(QMessageBox::Yes) : nullptr;
            for (QAbstractButton* b : box->buttons()) {
                button = button ? button : (b->text() == answer ? b : nullptr);
            }
            QVERIFY(button);
            QTest::mouseClick(button, Qt::LeftButton);
        });
        m_timer.start();
    }
    QStringList texts;

private:
    QStringList m_answers;
    QTimer m_timer;
    QPointer<QMessageBox> m_last;
};

void clickGroupCheck(QGroupBox* box)
{
    QStyleOptionGroupBox opt;
    opt.initFrom(box);
    opt.subControls = QStyle::SC_GroupBoxCheckBox;
    opt.text = box->title();
    const QRect r = box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxCheckBox, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, r.center());
}

// "day style" of every occurrence of March.
QStringList occurrences(TNoxMainForm* form)
{
    QStringList out;
    for (const TSkedRec& r : form->book().occurrences(QDate(2026, 3, 1), QDate(2026, 3, 31))) {
        out << QStringLiteral("%1 %2").arg(r.date().day()).arg(r.FontStyle);
    }
    return out;
}
} // namespace

class TestSearchOccurrences : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup() { m_f.reset(); }
    void deleteAsksWhichOccurrences_data();
    void deleteAsksWhichOccurrences();
    void changeAsksWhichOccurrences_data();
    void changeAsksWhichOccurrences();

private:
    // Searches "weekly" (four occurrences, 4 to 25 March) and selects the
    // second.
    TForm6* searchAndSelectSecond();

    std::unique_ptr<MainFormFixture> m_f;
    TSearchLink* m_link = nullptr;
};

void TestSearchOccurrences::init()
{
    m_f = std::make_unique<MainFormFixture>();
    RepeatRule rule;
    rule.id = kRule;
    rule.first = QDate(2026, 3, 4);
    rule.rrule = QStringLiteral("FREQ=WEEKLY;COUNT=4");
    rule.sked.setDate(rule.first);
    rule.sked.ID = kRule;
    rule.sked.StartTime = 20;
    rule.sked.EndTime = 21;
    rule.sked.FontStyle = 3;
    rule.sked.Text = QStringLiteral("weekly");
    m_f->writeFile(QString::fromLatin1(kRepeatFileName),
                   (formatRepeatLine(rule) + QStringLiteral("\r\n")).toUtf8());
    m_f->start();
    m_link = installSearch(*m_f->form);
}

TForm6* TestSearchOccurrences::searchAndSelectSecond()
{
    m_link->ShowSearchWindow();
    TForm6* w = m_link->searchWindow();
    (void)QTest::qWaitForWindowExposed(w);
    QLineEdit* edit = w->wordsBox()->lineEdit();
    QTest::keyClicks(edit, QStringLiteral("weekly"));
    QTest::keyClick(edit, Qt::Key_Return);
    for (int i = 0; i < 500 && w->isSearching(); ++i) {
        QTest::qWait(10);
    }
    TResultList* list = w->resultList();
    const QRect second = list->visualRect(list->resultModel()->index(1, TSearchResultModel::colText));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    return w;
}

void TestSearchOccurrences::deleteAsksWhichOccurrences_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("left");
    QTest::addColumn<int>("rows"); // left in the result list
    QTest::newRow("cancel") << QStringLiteral("キャンセル") << QStringList{"4 3", "11 3", "18 3", "25 3"}
                            << 4;
    QTest::newRow("this one") << QStringLiteral("この予定のみ") << QStringList{"4 3", "18 3", "25 3"} << 3;
    QTest::newRow("following") << QStringLiteral("これ以降") << QStringList{"4 3"} << 1;
    QTest::newRow("all") << QStringLiteral("すべて") << QStringList{} << 0;
}

void TestSearchOccurrences::deleteAsksWhichOccurrences()
{
    QFETCH(QString, button);
    QFETCH(QStringList, left);
    QFETCH(int, rows);
    TForm6* w = searchAndSelectSecond();
    QCOMPARE(w->resultList()->resultModel()->rowCount(), 4);
    QCOMPARE(w->resultList()->selectedRows(), QList<int>{1});
    {
        Answers answers({"Yes", "Yes", button});
        QTest::mouseClick(w->deleteButton(), Qt::LeftButton);
        QCOMPARE(answers.texts.size(), 3);
    }
    QCOMPARE(occurrences(m_f->form.get()), left);
    QCOMPARE(w->resultList()->resultModel()->rowCount(), rows);
}

void TestSearchOccurrences::changeAsksWhichOccurrences_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("after");
    QTest::addColumn<QStringList>("dayFile"); // the schedules of 11 March's file
    QTest::newRow("cancel") << QStringLiteral("キャンセル") << QStringList{"4 3", "11 3", "18 3", "25 3"}
                            << QStringList{};
    QTest::newRow("this one") << QStringLiteral("この予定のみ") << QStringList{"4 3", "18 3", "25 3"}
                              << QStringList{"11 0"};
    QTest::newRow("all") << QStringLiteral("すべて") << QStringList{"4 0", "11 0", "18 0", "25 0"}
                         << QStringList{};
}

// The style row switched on with no style checked takes bold and italic off.
void TestSearchOccurrences::changeAsksWhichOccurrences()
{
    QFETCH(QString, button);
    QFETCH(QStringList, after);
    QFETCH(QStringList, dayFile);
    TForm6* w = searchAndSelectSecond();
    bool driven = false;
    QTimer::singleShot(50, this, [&] {
        auto* dialog = qobject_cast<TForm9*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        clickGroupCheck(dialog->rowBox(TForm9::rowStyle));
        QPushButton* ok = nullptr;
        for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
            ok = b->text() == QStringLiteral("OK") ? b : ok;
        }
        QVERIFY(ok);
        Answers answers({"Yes", "Yes", button});
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(answers.texts.size(), 3);
        if (dialog->isVisible()) { // cancelled: the dialog stays open
            dialog->reject();
        }
        driven = true;
    });
    QTest::mouseClick(w->changeButton(), Qt::LeftButton);
    QVERIFY(driven);
    QCOMPARE(occurrences(m_f->form.get()), after);
    QStringList stored;
    for (const TSkedRec& r : m_f->form->book().day(QDate(2026, 3, 11)).records) {
        if (!r.isOccurrence()) {
            stored << QStringLiteral("%1 %2").arg(r.date().day()).arg(r.FontStyle);
        }
    }
    QCOMPARE(stored, dayFile);
}

QTEST_MAIN(TestSearchOccurrences)
#include "tst_searchoccurrences.moc"
