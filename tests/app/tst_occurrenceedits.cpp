// Changing an occurrence of a repeat rule in either view (Delete, a drag,
// the in-place editor) asks which occurrences the change takes in, and
// cancelling leaves everything as it was; checked on what the book holds.
#include <QApplication>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include "app/appenvironment.h"
#include "app/mainform.h"
#include "dialogs/occurrencequestion.h"
#include "mainformfixture.h"
#include "monthview/monthview.h"
#include "sked/skedcontrol.h"
#include "store/repeatrule.h"
#include "store/schedulebook.h"
#include "widgets/choosers.h"

using namespace nox;

namespace
{
const QDate kDay(2026, 3, 11); // the fixture's today, a Wednesday
const qint32 kRule = kRuleIdFirst + 1;

// A weekly rule at 10:00 from the Wednesday before kDay, written before the
// window starts; kDay's occurrence is selected.
TNoxMainForm* startWithRule(MainFormFixture& f, bool month)
{
    RepeatRule rule;
    rule.id = kRule;
    rule.first = kDay.addDays(-7);
    rule.rrule = QStringLiteral("FREQ=WEEKLY");
    rule.sked.setDate(rule.first);
    rule.sked.ID = kRule;
    rule.sked.StartTime = 20;
    rule.sked.EndTime = 21;
    rule.sked.Text = QStringLiteral("週次");
    f.writeFile(QString::fromLatin1(kRepeatFileName),
                (formatRepeatLine(rule) + QStringLiteral("\r\n")).toUtf8());
    TNoxMainForm* form = f.start();
    form->SetSkedCount(3);
    if (month) {
        form->SwitchViewClick();
    }
    form->GoToDate(kDay, kRule);
    return form;
}

// "day start text" of every occurrence of March.
QStringList occurrences(TNoxMainForm* form)
{
    QStringList out;
    for (const TSkedRec& r : form->book().occurrences(QDate(2026, 3, 1), QDate(2026, 3, 31))) {
        out << QStringLiteral("%1 %2 %3").arg(r.date().day()).arg(r.StartTime).arg(r.Text);
    }
    return out;
}

// Answers the next occurrence question with `button`; *asked counts it.
void answerQuestion(const QString& button, int* asked)
{
    QTimer::singleShot(0, [button, asked] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->text().isEmpty(), false);
        ++*asked;
        for (QAbstractButton* b : box->buttons()) {
            if (b->text() == button) {
                QTest::mouseClick(b, Qt::LeftButton);
                return;
            }
        }
        QFAIL("no such button");
    });
}

void drop(QWidget* target, QMimeData* data, const QPoint& pos)
{
    QDragEnterEvent enter(pos, Qt::MoveAction | Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(pos, Qt::MoveAction | Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent dropped(QPointF(pos), Qt::MoveAction | Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &dropped);
}

QPoint linePoint(const sked::TSked* column, int line)
{
    for (int r = 0; r < column->RowCount(); ++r) {
        if (column->Rows().at(r).Line == line) {
            return column->rowBand(r).center();
        }
    }
    return {};
}

void addScopeRows(const QStringList& cancel, const QStringList& thisOne, const QStringList& following,
                  const QStringList& all)
{
    for (bool month : {false, true}) {
        const char* view = month ? "month view, " : "day view, ";
        QTest::newRow(qPrintable(view + QStringLiteral("cancel")))
            << month << QStringLiteral("キャンセル") << cancel;
        QTest::newRow(qPrintable(view + QStringLiteral("this one")))
            << month << QStringLiteral("この予定のみ") << thisOne;
        QTest::newRow(qPrintable(view + QStringLiteral("following")))
            << month << QStringLiteral("これ以降") << following;
        QTest::newRow(qPrintable(view + QStringLiteral("all"))) << month << QStringLiteral("すべて") << all;
    }
}
} // namespace

class TestOccurrenceEdits : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installFontSubstitutions(); }
    void cleanup() { SetChooserHooks({}); }

    void deleteAsksWhichOccurrences_data()
    {
        QTest::addColumn<bool>("month");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("left");
        const QStringList every{"4 20 週次", "11 20 週次", "18 20 週次", "25 20 週次"};
        addScopeRows(every, {"4 20 週次", "18 20 週次", "25 20 週次"}, {"4 20 週次"}, {});
    }

    void deleteAsksWhichOccurrences()
    {
        QFETCH(bool, month);
        QFETCH(QString, button);
        QFETCH(QStringList, left);
        MainFormFixture f;
        TNoxMainForm* form = startWithRule(f, month);
        QVERIFY(form->mode().selectedRecord() && form->mode().selectedRecord()->isOccurrence());
        TChooserHooks hooks;
        hooks.question = [](const QString&) { return true; };
        SetChooserHooks(hooks);
        int asked = 0;
        answerQuestion(button, &asked);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete);
        QCOMPARE(asked, 1);
        QCOMPARE(occurrences(form), left);
        QVERIFY(!QFile::exists(f.dataFile(dayFileName(kDay))));
        QVERIFY(f.failures.isEmpty());
    }

    // Dropped two days later: in the day view on 12:00, in the month view at
    // its own time.
    void dragAsksWhichOccurrences_data()
    {
        QTest::addColumn<bool>("month");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QStringList>("dayFile"); // of the target day
        QTest::newRow("day view, cancel")
            << false << QStringLiteral("キャンセル")
            << QStringList{"4 20 週次", "11 20 週次", "18 20 週次", "25 20 週次"} << QStringList{};
        QTest::newRow("day view, this one")
            << false << QStringLiteral("この予定のみ") << QStringList{"4 20 週次", "18 20 週次", "25 20 週次"}
            << QStringList{"13 24 週次"};
        QTest::newRow("day view, following")
            << false << QStringLiteral("これ以降")
            << QStringList{"4 20 週次", "13 24 週次", "20 24 週次", "27 24 週次"} << QStringList{};
        QTest::newRow("day view, all")
            << false << QStringLiteral("すべて")
            << QStringList{"6 24 週次", "13 24 週次", "20 24 週次", "27 24 週次"} << QStringList{};
        QTest::newRow("month view, cancel")
            << true << QStringLiteral("キャンセル")
            << QStringList{"4 20 週次", "11 20 週次", "18 20 週次", "25 20 週次"} << QStringList{};
        QTest::newRow("month view, this one")
            << true << QStringLiteral("この予定のみ") << QStringList{"4 20 週次", "18 20 週次", "25 20 週次"}
            << QStringList{"13 20 週次"};
        QTest::newRow("month view, following")
            << true << QStringLiteral("これ以降")
            << QStringList{"4 20 週次", "13 20 週次", "20 20 週次", "27 20 週次"} << QStringList{};
        QTest::newRow("month view, all")
            << true << QStringLiteral("すべて")
            << QStringList{"6 20 週次", "13 20 週次", "20 20 週次", "27 20 週次"} << QStringList{};
    }

    void dragAsksWhichOccurrences()
    {
        QFETCH(bool, month);
        QFETCH(QString, button);
        QFETCH(QStringList, after);
        QFETCH(QStringList, dayFile);
        MainFormFixture f;
        TNoxMainForm* form = startWithRule(f, month);
        const QDate target = kDay.addDays(2);
        int asked = 0;
        answerQuestion(button, &asked);
        if (month) {
            monthview::TMonthView* view = form->monthView();
            QMimeData data;
            data.setData(monthview::monthViewItemMimeType(), view->DragPayload(view->SelectedItem()));
            drop(view, &data,
                 view->CellRect(view->CellOfDate(target)).bottomRight() - QPoint(3, 3) +
                     view->ClientOrigin());
        } else {
            sked::TSked* column = form->skedControl()->Skeds(2);
            std::unique_ptr<QMimeData> data(form->skedControl()->Skeds(0)->createDragData());
            drop(column->viewport(), data.get(), linePoint(column, 24));
        }
        QCOMPARE(asked, 1);
        QCOMPARE(occurrences(form), after);
        QStringList stored;
        for (const TSkedRec& r : form->book().day(target).records) {
            if (!r.isOccurrence()) {
                stored << QStringLiteral("%1 %2 %3").arg(r.date().day()).arg(r.StartTime).arg(r.Text);
            }
        }
        QCOMPARE(stored, dayFile);
        QVERIFY(f.failures.isEmpty());
    }

    void inPlaceTextAsksWhichOccurrences_data()
    {
        QTest::addColumn<bool>("month");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("shown"); // the text the edited entry shows
        for (bool month : {false, true}) {
            const QString view = month ? QStringLiteral("month view, ") : QStringLiteral("day view, ");
            QTest::newRow(qPrintable(view + QStringLiteral("cancel")))
                << month << QStringLiteral("キャンセル")
                << QStringList{"4 20 週次", "11 20 週次", "18 20 週次", "25 20 週次"}
                << QStringLiteral("週次");
            QTest::newRow(qPrintable(view + QStringLiteral("this one")))
                << month << QStringLiteral("この予定のみ")
                << QStringList{"4 20 週次", "18 20 週次", "25 20 週次"} << QStringLiteral("new");
            QTest::newRow(qPrintable(view + QStringLiteral("all")))
                << month << QStringLiteral("すべて")
                << QStringList{"4 20 new", "11 20 new", "18 20 new", "25 20 new"} << QStringLiteral("new");
        }
    }

    void inPlaceTextAsksWhichOccurrences()
    {
        QFETCH(bool, month);
        QFETCH(QString, button);
        QFETCH(QStringList, after);
        QFETCH(QString, shown);
        MainFormFixture f;
        TNoxMainForm* form = startWithRule(f, month);
        QPlainTextEdit* editor = nullptr;
        if (month) {
            monthview::TMonthView* view = form->monthView();
            QVERIFY(view->BeginEdit(view->SelectedItem()));
            editor = view->InplaceEdit();
        } else {
            sked::TSked* column = form->skedControl()->Skeds(0);
            QVERIFY(column->EditText(column->SelectedItem()));
            editor = column->InplaceEdit();
        }
        QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(editor, QStringLiteral("new"));
        int asked = 0;
        answerQuestion(button, &asked);
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(asked, 1);
        QCOMPARE(occurrences(form), after);
        QVERIFY(f.failures.isEmpty());
        // Once the view has read the days again, kDay's entry shows the text.
        QTRY_VERIFY(month ? form->monthView()->SelectedItem() &&
                                form->monthView()->SelectedItem()->Text() == shown
                          : form->mode().selectedRecord() && form->mode().selectedRecord()->Text == shown);
    }
};

QTEST_MAIN(TestOccurrenceEdits)
#include "tst_occurrenceedits.moc"
