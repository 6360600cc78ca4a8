#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cerrno>

#include "../common/records.h"
#include "alarm/alarmcenter.h"
#include "core/textfile.h"
#include "dialogs/scheduleeditor.h"
#include "dialogs/scheduleeditor_p.h"
#include "store/dayfile.h"
#include "store/schedulebook.h"
#include "widgets/choosers.h"

using namespace nox;

namespace
{

const QDate kDay(2026, 3, 11);

QStringList halfHourCaptions()
{
    QStringList captions;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        captions << (slot % 2 ? QStringLiteral("30") : skedTimeText(slot));
    }
    return captions;
}

// A fresh record as the main window prepares one for 9:00.
TSkedRec newRecord()
{
    return testing::skedRecord(kDay, 18, 90000123);
}

void saveShot(QWidget* widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("NOX_TEST_SHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        widget->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
    }
}

void pressKeys(QWidget* widget, Qt::Key key, int times)
{
    for (int i = 0; i < times; ++i) {
        QTest::keyClick(widget, key);
    }
}

} // namespace

class TestScheduleEditor : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void newScheduleWithOnlyTextAddsOneLine();
    void alarmEntries_data();
    void alarmEntries();
    void noAlarmUnchecksOpeningAtStart();
    void textsAreStoredEscaped();
    void dateChangeMovesTheLine();
    void editShowsTheRecord();
    void startAndEndStayOrdered();
    void textColourAlsoSetsLineColour();
    void firstDroppedFileOnly();
    void listEditButtons();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void emptyTextAndFailedWriteKeepDialogOpen();
    void resizeKeepsTextRatio();
    void pureRules();

private:
    // Runs `action` on the dialog once it is up, then returns what the editor returned.
    bool run(TSkedRec& rec, TEditorMode mode, std::function<void(TForm2*)> action);
    QStringList dayLines(const QDate& date) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<AlarmCenter> m_alarms;
    std::unique_ptr<ScheduleBook> m_book;
    TScheduleEditorSetup m_setup;
    QStringList m_messages;
};

void TestScheduleEditor::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_alarms = std::make_unique<AlarmCenter>(m_dir->path());
    m_book = std::make_unique<ScheduleBook>(m_dir->path(), m_alarms.get());
    m_setup = TScheduleEditorSetup{};
    m_setup.book = m_book.get();
    m_setup.lineCaptions = halfHourCaptions();
    m_setup.categories = {QStringLiteral("仕事"), QStringLiteral("私用")};
    QPixmap red(16, 16);
    red.fill(Qt::red);
    m_setup.images = {red, red};
    m_messages.clear();
    TChooserHooks hooks;
    hooks.message = [this](TMessageKind, const QString& text) { m_messages << text; };
    SetChooserHooks(hooks);
}

void TestScheduleEditor::cleanup()
{
    SetChooserHooks({});
    setWriteFaultHook({});
}

bool TestScheduleEditor::run(TSkedRec& rec, TEditorMode mode, std::function<void(TForm2*)> action)
{
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<TForm2*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        action(dialog);
        if (dialog->isVisible()) {
            dialog->reject(); // a failed check must not leave the dialog up
        }
    });
    return ShowScheduleEditor(nullptr, rec, mode, m_setup);
}

QStringList TestScheduleEditor::dayLines(const QDate& date) const
{
    const BookLines lines = m_book->lines(date);
    return lines.lines;
}

void TestScheduleEditor::newScheduleWithOnlyTextAddsOneLine()
{
    TSkedRec rec = newRecord();
    const bool ok = run(rec, emNew, [](TForm2* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("スケジュール - [新規]"));
        QCOMPARE(d->StartList()->currentText(), QStringLiteral("9:00"));
        QVERIFY(!d->OpenRelatedBox()->isEnabled());
        QTest::keyClicks(d->TextBox(), "meeting");
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    });
    QVERIFY(ok);
    QCOMPARE(rec.Text, QStringLiteral("meeting"));
    QCOMPARE(rec.ID, 90000123);
    QCOMPARE(dayLines(kDay), QStringList{formatSkedLine(rec)});
    QCOMPARE(m_alarms->list().count(), 0);
}

void TestScheduleEditor::alarmEntries_data()
{
    QTest::addColumn<int>("downs");
    QTest::addColumn<int>("minutes");
    QTest::addColumn<int>("entries");
    QTest::newRow("なし") << 0 << -1 << 0;
    QTest::newRow("0分") << 1 << 0 << 1;
    QTest::newRow("5分") << 3 << 5 << 2;
}

void TestScheduleEditor::alarmEntries()
{
    QFETCH(int, downs);
    QFETCH(int, minutes);
    QFETCH(int, entries);
    TSkedRec rec = newRecord();
    QVERIFY(run(rec, emNew, [downs](TForm2* d) {
        QTest::keyClicks(d->TextBox(), "x");
        pressKeys(d->AlarmList(), Qt::Key_Down, downs);
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    }));
    QCOMPARE(rec.AlarmMinutes, minutes);
    QCOMPARE(m_alarms->list().count(), entries);
}

void TestScheduleEditor::noAlarmUnchecksOpeningAtStart()
{
    TSkedRec rec = newRecord();
    QVERIFY(run(rec, emNew, [](TForm2* d) {
        QTest::keyClicks(d->TextBox(), "x");
        pressKeys(d->AlarmList(), Qt::Key_Down, 3);
        QVERIFY(d->OpenRelatedBox()->isEnabled());
        QTest::mouseClick(d->OpenRelatedBox(), Qt::LeftButton);
        QVERIFY(d->OpenRelatedBox()->isChecked());
        pressKeys(d->AlarmList(), Qt::Key_Up, 3);
        QVERIFY(!d->OpenRelatedBox()->isChecked());
        QVERIFY(!d->OpenRelatedBox()->isEnabled());
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    }));
    QVERIFY(!rec.OpenRelatedInfo);
    QCOMPARE(rec.AlarmMinutes, -1);
}

void TestScheduleEditor::textsAreStoredEscaped()
{
    TSkedRec rec = newRecord();
    QVERIFY(run(rec, emNew, [](TForm2* d) {
        QTest::keyClicks(d->TextBox(), "a");
        QTest::keyClick(d->TextBox(), Qt::Key_Return);
        QTest::keyClicks(d->TextBox(), "b");
        QTest::keyClick(d->TextBox(), Qt::Key_Tab);
        QTest::keyClicks(d->TextBox(), "c");
        QVERIFY(d->isVisible()); // Return and Tab stay in the box
        QTest::keyClicks(d->MemoBox(), "m1");
        QTest::keyClick(d->MemoBox(), Qt::Key_Return);
        QTest::keyClicks(d->MemoBox(), "m2");
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    }));
    QCOMPARE(rec.Text, QStringLiteral("a#13#10b c"));
    QCOMPARE(rec.Memo, QStringLiteral("m1#13#10m2"));
    QCOMPARE(dayLines(kDay).size(), 1);
}

void TestScheduleEditor::dateChangeMovesTheLine()
{
    TSkedRec rec = newRecord();
    rec.Text = QStringLiteral("old");
    rec.AlarmMinutes = 0;
    QVERIFY(m_book->add(rec).ok());
    QCOMPARE(m_alarms->list().count(), 1);
    QVERIFY(run(rec, emEdit, [](TForm2* d) {
        QCOMPARE(d->windowTitle(), QStringLiteral("スケジュール - [編集]"));
        d->DatePicker()->setFocus();
        d->DatePicker()->setCurrentSection(QDateTimeEdit::DaySection);
        QTest::keyClick(d->DatePicker(), Qt::Key_Up);
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    }));
    QCOMPARE(rec.date(), kDay.addDays(1));
    QVERIFY(!QFile::exists(m_book->dayFile(kDay)));
    QCOMPARE(dayLines(kDay.addDays(1)), QStringList{formatSkedLine(rec)});
    QCOMPARE(m_alarms->list().count(), 1); // withdrawn at the old day, entered at the new
}

void TestScheduleEditor::editShowsTheRecord()
{
    TSkedRec rec = newRecord();
    rec.Text = QStringLiteral("one#13#10two");
    rec.Category = QStringLiteral("gone");
    rec.AlarmMinutes = 7; // not in the table
    rec.ImageIndex = 5;   // not in the strip
    rec.FontStyle = fsBold | fsStrikeOut;
    rec.LineColor = clRed;
    QVERIFY(m_book->add(rec).ok());
    QVERIFY(run(rec, emEdit, [](TForm2* d) {
        QCOMPARE(d->TextBox()->toPlainText(), QStringLiteral("one\ntwo"));
        QCOMPARE(d->CategoryList()->currentIndex(), 0);
        QCOMPARE(d->AlarmList()->currentText(), QStringLiteral("なし"));
        QVERIFY(d->StyleBox(0)->isChecked() && d->StyleBox(3)->isChecked() && !d->StyleBox(1)->isChecked());
        QVERIFY(d->TextBox()->font().bold() && d->TextBox()->font().strikeOut());
        QCOMPARE(d->LineColor(), clRed);
        QCOMPARE(d->EndList()->itemText(19), QStringLiteral("9:30"));
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    }));
    QCOMPARE(rec.Category, QString());
    QCOMPARE(rec.AlarmMinutes, -1);
    QCOMPARE(rec.ImageIndex, 5); // not chosen, so kept
    QCOMPARE(rec.FontStyle, fsBold | fsStrikeOut);
}

void TestScheduleEditor::startAndEndStayOrdered()
{
    TSkedRec rec = newRecord();
    QVERIFY(run(rec, emNew, [](TForm2* d) {
        QTest::keyClicks(d->TextBox(), "x");
        pressKeys(d->StartList(), Qt::Key_Down, 4); // 11:00, past the end
        QCOMPARE(d->EndList()->currentIndex(), 22);
        pressKeys(d->EndList(), Qt::Key_Up, 6); // 8:00, before the start
        QCOMPARE(d->StartList()->currentIndex(), 16);
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    }));
    QCOMPARE(rec.StartTime, 16);
    QCOMPARE(rec.EndTime, 16);
}

void TestScheduleEditor::textColourAlsoSetsLineColour()
{
    QList<TColor> answers{clRed, clBlue};
    TChooserHooks hooks;
    hooks.color = [&answers](TColor) { return std::optional<TColor>(answers.takeFirst()); };
    SetChooserHooks(hooks);
    TSkedRec rec = newRecord();
    QVERIFY(run(rec, emNew, [](TForm2* d) {
        QTest::keyClicks(d->TextBox(), "x");
        QTest::mouseClick(d->TextColorButton(), Qt::LeftButton);
        QCOMPARE(d->LineColor(), clRed);
        QCOMPARE(d->TextBox()->palette().color(QPalette::Text), QColor(Qt::red));
        QTest::mouseClick(d->LineColorButton(), Qt::LeftButton);
        QTest::mouseClick(d->StyleBox(2), Qt::LeftButton);
        QVERIFY(d->MemoBox()->font().underline());
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    }));
    QCOMPARE(rec.TextColor, clRed);
    QCOMPARE(rec.LineColor, clBlue);
    QCOMPARE(rec.FontStyle, int(fsUnderline));
}

void TestScheduleEditor::firstDroppedFileOnly()
{
    TSkedRec rec = newRecord();
    const QString folder = m_dir->path();
    QVERIFY(run(rec, emNew, [folder](TForm2* d) {
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(folder + "/a.txt"), QUrl::fromLocalFile(folder + "/b.txt"),
                      QUrl::fromLocalFile(folder + "/c.txt")});
        QWidget* box = d->RelatedBox();
        QDragEnterEvent enter(box->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(box->rect().center(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &drop);
        QCOMPARE(d->RelatedBox()->text(), folder + "/a.txt");
        // A path longer than the box takes is refused, the box keeps its text.
        QMimeData tooLong;
        tooLong.setUrls({QUrl::fromLocalFile(folder + "/" + QString(300, QLatin1Char('x')))});
        QDropEvent longDrop(box->rect().center(), Qt::CopyAction, &tooLong, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(box, &longDrop);
        QCOMPARE(d->RelatedBox()->text(), folder + "/a.txt");
        QTest::keyClicks(d->TextBox(), "x");
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    }));
    QCOMPARE(rec.RelatedInfo, folder + "/a.txt");
}

void TestScheduleEditor::listEditButtons()
{
    TSkedRec rec = newRecord();
    QVERIFY(!run(rec, emNew, [](TForm2* d) {
        QVERIFY(!d->CategoryEditButton()->isEnabled());
        QVERIFY(!d->ImageEditButton()->isEnabled());
        QCOMPARE(d->CategoryEditButton()->focusPolicy(), Qt::ClickFocus);
        d->reject();
    }));
    QStringList pages;
    m_setup.editLists = [&pages](const QString& page) {
        pages << page;
        return std::optional<TEditorLists>(TEditorLists{{QStringLiteral("新")}, {}});
    };
    m_setup.categoryFilter = QStringLiteral("私用");
    QVERIFY(run(rec, emNew, [](TForm2* d) {
        QCOMPARE(d->CategoryList()->currentText(), QStringLiteral("私用"));
        QTest::mouseClick(d->CategoryEditButton(), Qt::LeftButton);
        QCOMPARE(d->CategoryList()->count(), 2);
        QCOMPARE(d->CategoryList()->currentIndex(), -1);
        QTest::mouseClick(d->ImageEditButton(), Qt::LeftButton);
        QCOMPARE(d->ImageList()->count(), 1);
        QTest::keyClicks(d->TextBox(), "x");
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    }));
    QCOMPARE(pages, (QStringList{QStringLiteral("分類"), QStringLiteral("イメージ")}));
    QCOMPARE(rec.Category, QString());
    QCOMPARE(rec.ImageIndex, -1);
}

void TestScheduleEditor::cancelChangesNothing_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("キャンセル") << 0;
    QTest::newRow("Escape") << 1;
    QTest::newRow("close box") << 2;
}

void TestScheduleEditor::cancelChangesNothing()
{
    QFETCH(int, how);
    TSkedRec rec = newRecord();
    rec.Text = QStringLiteral("kept");
    QVERIFY(m_book->add(rec).ok());
    const TSkedRec before = rec;
    QVERIFY(!run(rec, emEdit, [how](TForm2* d) {
        QTest::keyClicks(d->TextBox(), "changed");
        pressKeys(d->AlarmList(), Qt::Key_Down, 2);
        if (how == 0) {
            QTest::mouseClick(d->CancelButton(), Qt::LeftButton);
        } else if (how == 1) {
            QTest::keyClick(d->AlarmList(), Qt::Key_Escape);
        } else {
            d->close();
        }
    }));
    QCOMPARE(rec, before);
    QCOMPARE(dayLines(kDay), QStringList{formatSkedLine(before)});
    QCOMPARE(m_alarms->list().count(), 0);
}

void TestScheduleEditor::emptyTextAndFailedWriteKeepDialogOpen()
{
    TSkedRec rec = newRecord();
    const QString file = m_book->dayFile(kDay);
    QVERIFY(run(rec, emNew, [this, file](TForm2* d) {
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
        QCOMPARE(m_messages, QStringList{QStringLiteral("スケジュールを入力してください。")});
        QVERIFY(d->isVisible());
        QTest::keyClicks(d->TextBox(), "x");
        setWriteFaultHook([](const QString&, WriteStep) { return ENOSPC; });
        int observed = 0; // the program's own notices of failed writes: not a second time
        setWriteFailureObserver([&](const QString&, const QString&) { ++observed; });
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
        setWriteFailureObserver({});
        QCOMPARE(observed, 0);
        QVERIFY(d->isVisible());
        QCOMPARE(m_messages.size(), 2);
        QVERIFY2(m_messages.last().contains(file), qPrintable(m_messages.last()));
        QVERIFY(!QFile::exists(file));
        setWriteFaultHook({});
        QTest::mouseClick(d->OkButton(), Qt::LeftButton);
    }));
    QCOMPARE(dayLines(kDay).size(), 1);
}

void TestScheduleEditor::resizeKeepsTextRatio()
{
    TSkedRec rec = newRecord();
    QVERIFY(!run(rec, emEdit, [](TForm2* d) {
        QVERIFY(QTest::qWaitForWindowExposed(d));
        saveShot(d, QStringLiteral("scheduleeditor"));
        QSplitter* splitter = d->Splitter();
        const QList<int> before = splitter->sizes();
        QVERIFY(before[1] >= 72);
        d->resize(d->width(), d->height() + 200);
        QApplication::processEvents();
        const QList<int> after = splitter->sizes();
        QVERIFY(after[1] > before[1]);
        QVERIFY(qAbs(after[0] * before[1] - after[1] * before[0]) <= after[0] + after[1]);
        d->reject();
    }));
}

void TestScheduleEditor::pureRules()
{
    using namespace editor;
    QCOMPARE(timeEntries({"8:00", "30", "9:00", "9:30"}), (QStringList{"8:00", "8:30", "9:00", "9:30"}));
    QCOMPARE(alarmIndexOf(60), 8);
    QCOMPARE(alarmIndexOf(45), 0);
    QCOMPARE(keptMemoHeight(300, 100, 50, 72), 100);
    QCOMPARE(keptMemoHeight(120, 100, 20, 72), 72);
    QCOMPARE(clampedTopLeft(QRect(900, 700, 200, 200), QRect(0, 0, 1000, 800)), QPoint(800, 600));
    QCOMPARE(clampedTopLeft(QRect(-20, 10, 200, 200), QRect(0, 0, 1000, 800)), QPoint(-20, 10));
    QCOMPARE(droppedRelatedPath({QUrl(QStringLiteral("https://example.org/"))}), QString());
}

QTEST_MAIN(TestScheduleEditor)
#include "tst_scheduleeditor.moc"
