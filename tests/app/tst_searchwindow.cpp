// The search window as a user drives it from the main window: searching
// (Enter, F3), opening a result, deleting and changing many at a time, and
// the print commands that need no page engine.
#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QCompleter>
#include <QInputMethodEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QStatusBar>
#include <QWindow>
#include <QDateEdit>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTimer>

#include "alarm/alarmcenter.h"
#include "app/mainsettingshost.h"
#include "app/searchlink.h"
#include "core/textfile.h"
#include "dialogs/settingsdialog.h"
#include "mainformfixture.h"
#include "search/ui/bulkchange.h"
#include "search/ui/resultlist.h"
#include "search/ui/searchwindow.h"
#include "sked/skedcontrol.h"
#include "store/dayfile.h"
#include "widgets/noxbutton.h"

using namespace nox;

namespace
{

QByteArray line(int start, qint32 id, const QString& text, const QString& category = {}, int alarm = -1)
{
    return QStringLiteral("%1\t%2\tclWindowText\tclWindowText\t0\t-1\t%3\t\t%4\t%5\t%6\t\t0\r\n")
        .arg(start)
        .arg(start + 1)
        .arg(id)
        .arg(text, category)
        .arg(alarm)
        .toUtf8();
}

// Answers the message boxes that come up, in order, and keeps their texts.
class MessageAnswers : public QObject
{
public:
    explicit MessageAnswers(QList<QMessageBox::StandardButton> answers) : m_answers(std::move(answers))
    {
        m_timer.setInterval(20);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && box != m_last && !m_answers.isEmpty() && box->button(m_answers.first())) {
                m_last = box;
                texts << box->text();
                QTest::mouseClick(box->button(m_answers.takeFirst()), Qt::LeftButton);
            }
        });
        m_timer.start();
    }
    QStringList texts;

private:
    QList<QMessageBox::StandardButton> m_answers;
    QTimer m_timer;
    QPointer<QMessageBox> m_last;
};

void clickButton(TNoxButton* button)
{
    QVERIFY(button);
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

// Checks a checkable group box by a click on its check box.
void clickGroupCheck(QGroupBox* box)
{
    QStyleOptionGroupBox opt;
    opt.initFrom(box);
    opt.subControls = QStyle::SC_GroupBoxCheckBox;
    opt.text = box->title();
    opt.features |= QStyleOptionFrame::None;
    const QRect r = box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxCheckBox, box);
    QTest::mouseClick(box, Qt::LeftButton, {}, r.center());
}

QRect rowRect(TResultList* list, int row)
{
    return list->visualRect(list->resultModel()->index(row, TSearchResultModel::colText));
}

} // namespace

class TestSearchWindow : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void enterF3HistoryAndRows();
    void openingAResult();
    void deletingAsksTwice();
    void bulkChange_data();
    void bulkChange();
    void printCommandsWithoutEngine();
    void everyControlInSight_data();
    void everyControlInSight();
    void ownedAndActiveAgainAfterPrintSettings();
    void entriesAreOfferedAsAList_data();
    void entriesAreOfferedAsAList();
    void savingAPageReplacesNothingUnasked();
    void placeFarOffScreenComesBack();

private:
    TForm6* openWindow();
    void search(TForm6* w, const QString& text);
    QByteArray day(const QString& name) const;

    std::unique_ptr<MainFormFixture> m_f;
    TSearchLink* m_link = nullptr;
};

void TestSearchWindow::init()
{
    m_f = std::make_unique<MainFormFixture>();
    m_f->writeFile("20260302.dat", line(18, 1, "meeting A", "仕事") + line(26, 2, "lunch") + line(28, 6, "meeting E"));
    m_f->writeFile("20260305.dat", line(20, 3, "meeting B", "私用"));
    m_f->writeFile("20260307.dat", line(20, 4, "meeting C"));
    m_f->writeFile("20260320.dat", line(21, 5, "meeting D", "仕事", 5));
    m_f->start();
    m_link = installSearch(*m_f->form);
}

void TestSearchWindow::cleanup()
{
    m_f.reset();
}

TForm6* TestSearchWindow::openWindow()
{
    QTest::keyClick(m_f->form.get(), Qt::Key_F, Qt::ControlModifier);
    TForm6* w = m_link->searchWindow();
    if (w) {
        (void)QTest::qWaitForWindowExposed(w);
    }
    return w;
}

void TestSearchWindow::search(TForm6* w, const QString& text)
{
    QLineEdit* edit = w->wordsBox()->lineEdit();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
    QTRY_VERIFY(!w->isSearching());
}

QByteArray TestSearchWindow::day(const QString& name) const
{
    QFile f(m_f->dataFile(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void TestSearchWindow::enterF3HistoryAndRows()
{
    TForm6* w = openWindow();
    QVERIFY(w);
    QCOMPARE(openWindow(), w); // one window only
    QCOMPARE(w->windowTitle(), QStringLiteral("検索 / 印刷"));
    QCOMPARE(w->statusText(1), QStringLiteral("印刷レイアウト : サンプル"));
    QVERIFY(!w->deleteButton()->isEnabled());
    search(w, "meeting");
    QCOMPARE(w->statusText(0), QStringLiteral("5件"));
    TResultList* list = w->resultList();
    QVERIFY(list->hasFocus());
    QCOMPARE(list->selectedRows(), QList<int>{0});
    QVERIFY(w->deleteButton()->isEnabled());
    // The date once per group, the time as a span.
    QCOMPARE(list->resultModel()->dateText(0), QStringLiteral("2026/3/02(月)"));
    QVERIFY(list->resultModel()->dateText(1).isEmpty());
    QCOMPARE(list->resultModel()->data(list->resultModel()->index(0, 2), Qt::DisplayRole).toString(),
             QStringLiteral("9:00-9:30"));
    // An unselected row of the first date group is banded, one of the second is not.
    const QImage shot = list->viewport()->grab().toImage();
    QCOMPARE(QColor(shot.pixel(rowRect(list, 1).center() + QPoint(40, 0))), QColor(0xD7, 0xE9, 0xFF));
    QCOMPARE(QColor(shot.pixel(rowRect(list, 2).center() + QPoint(40, 0))), list->palette().color(QPalette::Base));
    // F3 searches again and sees a day file added meanwhile.
    m_f->writeFile("20260325.dat", line(18, 7, "meeting F"));
    QTest::keyClick(list, Qt::Key_F3);
    QTRY_COMPARE(w->statusText(0), QStringLiteral("6件"));
    // History: newest first; a search without results leaves it alone.
    search(w, "lunch");
    search(w, "meeting");
    QCOMPARE(w->history().entries(), (QStringList{"meeting", "lunch"}));
    search(w, "nothing here");
    QCOMPARE(w->statusText(0), QStringLiteral("0件"));
    QCOMPARE(w->history().entries(), (QStringList{"meeting", "lunch"}));
    QVERIFY(!w->deleteButton()->isEnabled());
    // Two words with a half-width space must both occur.
    search(w, "meeting D");
    QCOMPARE(w->statusText(0), QStringLiteral("1件"));
    QTest::keyClick(list, Qt::Key_Escape);
    QTRY_VERIFY(!m_link->searchWindow());
    QCOMPARE(readTextLines(m_f->dataFile("searchword.nox"))->lines, (QStringList{"meeting D", "meeting", "lunch"}));
    QVERIFY(readTextLines(m_f->dataFile("Nox.ini"))->lines.contains(QStringLiteral("Column3=194")));
}

void TestSearchWindow::openingAResult()
{
    m_f->form->SetCategoryFilter("仕事");
    TForm6* w = openWindow();
    QCOMPARE(w->categoryBox()->currentText(), QStringLiteral("仕事"));
    w->categoryBox()->setCurrentIndex(0);
    search(w, "meeting B");
    TResultList* list = w->resultList();
    QCOMPARE(list->resultModel()->rowCount(), 1);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rowRect(list, 0).center());
    // The filter follows the schedule's category; the day shows it selected.
    QCOMPARE(m_f->form->categoryFilter(), QStringLiteral("私用"));
    sked::TSked* column = m_f->form->skedControl()->ActiveSked();
    QVERIFY(column && column->SelectedItem());
    QCOMPARE(column->SelectedItem()->ID, 3);
    QTRY_VERIFY(!m_link->searchWindow()); // "endclose"
    // A schedule deleted since the search is reported and the list stays.
    w = openWindow();
    QCOMPARE(w->categoryBox()->currentText(), QStringLiteral("私用"));
    w->categoryBox()->setCurrentIndex(0);
    search(w, "meeting C");
    QVERIFY(QFile::remove(m_f->dataFile("20260307.dat")));
    MessageAnswers answers({QMessageBox::Ok});
    QTest::keyClick(w->resultList(), Qt::Key_Return);
    QCOMPARE(answers.texts.value(0).left(17), QStringLiteral("対象スケジュールが見つかりません!"));
    QCOMPARE(w->resultList()->resultModel()->rowCount(), 1);
    QVERIFY(m_link->searchWindow());
    // The main window goes with the search window open: both write back.
    m_f->stop();
    QCOMPARE(readTextLines(m_f->dataFile("searchword.nox"))->lines, (QStringList{"meeting C", "meeting B"}));
}

void TestSearchWindow::deletingAsksTwice()
{
    TSkedRec withAlarm;
    QVERIFY(parseSkedLine(QString::fromUtf8(line(21, 5, "meeting D", "仕事", 5)).trimmed(), QDate(2026, 3, 20),
                          &withAlarm)
                .ok());
    m_f->form->alarms().UpdateScheduleAlarms(withAlarm, 1);
    QCOMPARE(m_f->form->alarms().list().count(), 2);
    TForm6* w = openWindow();
    search(w, "meeting");
    TResultList* list = w->resultList();
    QCOMPARE(list->resultModel()->rowCount(), 5); // IDs 1 6 3 4 5
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowRect(list, 1).center());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier, rowRect(list, 4).center());
    QCOMPARE(list->selectedRows(), (QList<int>{1, 4}));
    const QByteArray before = day("20260302.dat");
    {
        MessageAnswers answers({QMessageBox::Yes, QMessageBox::No});
        QTest::mouseClick(w->deleteButton(), Qt::LeftButton);
        QCOMPARE(answers.texts, (QStringList{"削除しても宜しいですか？",
                                             "本当に削除しても宜しいですか？\r\n\r\n削除すると元に戻す事はできません！"}));
    }
    QCOMPARE(list->resultModel()->rowCount(), 5);
    QCOMPARE(day("20260302.dat"), before);
    {
        MessageAnswers answers({QMessageBox::Yes, QMessageBox::Yes});
        QTest::mouseClick(w->deleteButton(), Qt::LeftButton);
        QCOMPARE(answers.texts.size(), 2);
    }
    QCOMPARE(list->resultModel()->rowCount(), 3);
    QCOMPARE(w->statusText(0), QStringLiteral("3件"));
    QCOMPARE(day("20260302.dat"), line(18, 1, "meeting A", "仕事") + line(26, 2, "lunch"));
    QVERIFY(!QFile::exists(m_f->dataFile("20260320.dat"))); // its only line is gone
    QCOMPARE(m_f->form->alarms().list().count(), 0);
    QCOMPARE(list->resultModel()->at(1).ID, 3);
    QVERIFY(!list->resultModel()->at(1).SameDate);
}

void TestSearchWindow::bulkChange_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray unchanged = "16\t17\tclRed\tclBlue\t3\t2\t21\tm\tbulk one\twork\r\n"
                                 "18\t19\tclRed\tclBlue\t5\t0\t22\t\tbulk two\thome\t-1\t\t0\r\n";
    QTest::newRow("style without a box is plain")
        << int(TForm9::rowStyle) << QStringList{"Yes", "Yes"}
        << QByteArray("16\t17\tclRed\tclBlue\t0\t2\t21\tm\tbulk one\twork\r\n"
                      "18\t19\tclRed\tclBlue\t0\t0\t22\t\tbulk two\thome\t-1\t\t0\r\n");
    QTest::newRow("指定なし clears the category")
        << int(TForm9::rowCategory) << QStringList{"Yes", "Yes"}
        << QByteArray("16\t17\tclRed\tclBlue\t3\t2\t21\tm\tbulk one\t\r\n"
                      "18\t19\tclRed\tclBlue\t5\t0\t22\t\tbulk two\t\t-1\t\t0\r\n");
    QTest::newRow("no to the second question") << int(TForm9::rowImage) << QStringList{"Yes", "No"} << unchanged;
}

void TestSearchWindow::bulkChange()
{
    QFETCH(int, row);
    QFETCH(QStringList, answers);
    QFETCH(QByteArray, expected);
    // An older line of ten fields and a line of this version.
    m_f->writeFile("20260315.dat", "16\t17\tclRed\tclBlue\t3\t2\t21\tm\tbulk one\twork\r\n"
                                   "18\t19\tclRed\tclBlue\t5\t0\t22\t\tbulk two\thome\t-1\t\t0\r\n");
    TForm6* w = openWindow();
    search(w, "bulk");
    TResultList* list = w->resultList();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowRect(list, 1).center());
    QCOMPARE(list->selectedRows(), (QList<int>{0, 1}));
    QList<QMessageBox::StandardButton> buttons;
    for (const QString& a : answers) {
        buttons << (a == "Yes" ? QMessageBox::Yes : QMessageBox::No);
    }
    bool driven = false;
    QTimer::singleShot(50, this, [&] {
        auto* dialog = qobject_cast<TForm9*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("スケジュールの変更"));
        // OK with nothing switched on is refused.
        auto* ok = dialog->findChild<QPushButton*>();
        for (QPushButton* b : dialog->findChildren<QPushButton*>()) {
            if (b->text() == "OK") {
                ok = b;
            }
        }
        MessageAnswers nothing({QMessageBox::Ok});
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(nothing.texts, QStringList{"変更対象の指定がありません！"});
        clickGroupCheck(dialog->rowBox(TForm9::Row(row)));
        QVERIFY(dialog->rowBox(TForm9::Row(row))->isChecked());
        MessageAnswers messages(buttons);
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(messages.texts.size(), 2);
        if (dialog->isVisible()) { // No: the dialog stays open
            dialog->reject();
        }
        driven = true;
    });
    QTest::mouseClick(w->changeButton(), Qt::LeftButton);
    QVERIFY(driven);
    QCOMPARE(day("20260315.dat"), expected);
}

void TestSearchWindow::printCommandsWithoutEngine()
{
    m_f->stop();
    m_f->writeFile("Nox.ini", "[search]\r\nlayout=CSV\r\n");
    m_f->start();
    m_link = installSearch(*m_f->form);
    TForm6* w = openWindow();
    QCOMPARE(w->statusText(1), QStringLiteral("印刷レイアウト : CSV"));
    {
        MessageAnswers answers({QMessageBox::Ok});
        clickButton(w->toolButton("印刷..."));
        QCOMPARE(answers.texts, QStringList{"対象スケジュールがありません。"});
    }
    search(w, "meeting");
    {
        MessageAnswers answers({QMessageBox::Ok, QMessageBox::Ok});
        clickButton(w->toolButton("印刷..."));
        clickButton(w->toolButton("プレビュー"));
        QCOMPARE(answers.texts, (QStringList{"このファイル形式は印刷できません!", "このファイル形式はプレビューできません!"}));
    }
    QVERIFY(QFile::exists(m_f->dataFile("temp/Schedule.csv")));
    QVERIFY(!w->toolButton("印刷設定...")->isEnabled()); // no settings dialog yet
    const QString saved = m_f->home.filePath("saved");
    // The first save starts in the documents folder, the next where the last went.
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString startFolder = QFileInfo(documents).isDir() ? documents : QDir::homePath();
    QTimer::singleShot(50, this, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->directory().absolutePath(), QDir(startFolder).absolutePath());
        QCOMPARE(dialog->defaultSuffix(), QStringLiteral("csv"));
        QCOMPARE(QFileInfo(dialog->selectedFiles().value(0)).fileName(), QStringLiteral("Schedule.csv"));
        dialog->setDirectory(m_f->home.path());
        auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        QVERIFY(name);
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("saved"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    clickButton(w->toolButton("保存..."));
    QCOMPARE(readTextLines(saved + ".csv")->lines.value(1), QStringLiteral("2026/3/02(月),9:00,9:30,meeting A,,仕事"));
    startFolder = m_f->home.path();
    QTimer::singleShot(50, this, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        QCOMPARE(dialog->directory().absolutePath(), QDir(startFolder).absolutePath());
        dialog->reject();
    });
    clickButton(w->toolButton("保存..."));
    // The temp folder is emptied when the main window goes.
    m_f->stop();
    QVERIFY(!QFile::exists(m_f->dataFile("temp/Schedule.csv")));
}

void TestSearchWindow::everyControlInSight_data()
{
    QTest::addColumn<bool>("minimum");
    QTest::newRow("first opening, 600 x 447") << false;
    QTest::newRow("smallest") << true;
}

// Nothing is cut off: the criteria panel shows its controls at their full
// width (scrolling up and down only), the tool bar its captions, the list the
// whole time and date and, without scrolling, the category column.
void TestSearchWindow::everyControlInSight()
{
    QFETCH(bool, minimum);
    TForm6* w = openWindow();
    QCOMPARE(w->size(), QSize(600, 447));
    if (minimum) {
        w->resize(w->minimumSize());
        QTRY_COMPARE(w->size(), QSize(600, 168));
    }
    m_f->writeFile("20260308.dat", line(20, 8, "meeting G") + line(26, 9, "meeting H"));
    search(w, "meeting");
    for (QWidget* part : {w->findChild<QWidget*>("Panel3"), w->findChild<QWidget*>("Panel1"),
                          static_cast<QWidget*>(w->resultList()), static_cast<QWidget*>(w->findChild<QStatusBar*>())}) {
        QVERIFY(part && part->isVisible());
        const QRect r(part->mapTo(w, QPoint()), part->size());
        QVERIFY2(w->rect().contains(r) && !r.isEmpty(), qPrintable(part->objectName()));
    }
    auto* scroll = w->findChild<QWidget*>("Panel1")->findChild<QScrollArea*>();
    QWidget* box = scroll->widget();
    QVERIFY2(box->width() <= scroll->viewport()->width(),
             qPrintable(QStringLiteral("%1 > %2").arg(box->width()).arg(scroll->viewport()->width())));
    const int hidden = box->height() - scroll->viewport()->height();
    QVERIFY(hidden <= 0 || scroll->verticalScrollBar()->maximum() >= hidden);
    // At the first opening nothing needs scrolling, "選択スケジュールを削除" included.
    QVERIFY2(minimum || hidden <= 0, qPrintable(QString::number(hidden)));
    for (QWidget* control : box->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        if (!control->isVisibleTo(box)) {
            continue;
        }
        QVERIFY2(box->rect().contains(control->geometry()), qPrintable(control->objectName()));
        QVERIFY2(control->width() >= control->minimumSizeHint().width(), qPrintable(control->objectName()));
    }
    QVERIFY(w->deleteButton()->width() >=
            w->deleteButton()->fontMetrics().horizontalAdvance(QStringLiteral("選択スケジュールを削除")));
    auto* toolBar = w->findChild<QWidget*>("Panel3");
    for (TNoxButton* b : toolBar->findChildren<TNoxButton*>()) {
        QVERIFY2(toolBar->rect().contains(b->geometry()), qPrintable(b->Caption()));
        QVERIFY2(b->width() >= b->fontMetrics().horizontalAdvance(b->Caption()), qPrintable(b->Caption()));
    }
    TResultList* list = w->resultList();
    const QFontMetrics metrics = list->fontMetrics();
    // Times and dates are drawn whole, not cut with an ellipsis.
    for (int row = 0; row < list->resultModel()->rowCount(); ++row) {
        for (const int column : {int(TSearchResultModel::colDate), int(TSearchResultModel::colTime)}) {
            const QString text = list->resultModel()
                                     ->data(list->resultModel()->index(row, column), Qt::DisplayRole)
                                     .toString();
            QCOMPARE(metrics.elidedText(text, Qt::ElideRight, list->columnWidth(column) - 8), text);
        }
    }
    const int category = TSearchResultModel::colCategory;
    QVERIFY2(list->columnViewportPosition(category) + list->columnWidth(category) <= list->viewport()->width(),
             qPrintable(QStringLiteral("%1 + %2 > %3")
                            .arg(list->columnViewportPosition(category))
                            .arg(list->columnWidth(category))
                            .arg(list->viewport()->width())));
    // A wider window gives the text column back its width.
    w->resize(900, 447);
    QTRY_COMPARE(list->columnWidth(TSearchResultModel::colText), 194);
}

// The search window stays above the main window (the window system is told
// its owner), and it is the active window again after the settings dialog
// opened from it.
void TestSearchWindow::ownedAndActiveAgainAfterPrintSettings()
{
    InstallSettingsDialog(*m_f->form);
    TForm6* w = openWindow();
    QCOMPARE(w->windowType(), Qt::Dialog);
    QVERIFY(w->windowFlags() & Qt::WindowMinMaxButtonsHint);
    QVERIFY(w->windowHandle() && w->windowHandle()->transientParent() == m_f->form->windowHandle());
    QVERIFY(QTest::qWaitForWindowActive(w));
    QPointer<QWidget> owner;
    QTimer::singleShot(0, this, [&] {
        auto* dialog = qobject_cast<TForm4*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        owner = dialog->parentWidget();
        dialog->reject();
    });
    clickButton(w->toolButton("印刷設定..."));
    QCOMPARE(owner.data(), w);
    QTRY_COMPARE(QApplication::activeWindow(), w);
}

void TestSearchWindow::entriesAreOfferedAsAList_data()
{
    QTest::addColumn<bool>("category");
    QTest::addColumn<bool>("inputMethod");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("offered");
    QTest::addColumn<QString>("count");
    QTest::newRow("words, keys") << false << false << "lun" << "lunch" << "1件";
    QTest::newRow("words, input method") << false << true << "会議" << "会議　東京" << "0件";
    QTest::newRow("category, input method") << true << true << "会" << "会議" << "0件";
}

// Typing shows the matching entries in a list under the box and leaves the
// typed text alone; Return (which the open list receives first) searches for
// what was typed.
void TestSearchWindow::entriesAreOfferedAsAList()
{
    QFETCH(bool, category);
    QFETCH(bool, inputMethod);
    QFETCH(QString, typed);
    QFETCH(QString, offered);
    QFETCH(QString, count);
    m_f->writeFile("searchword.nox", QStringLiteral("会議　東京\r\nlunch\r\n").toUtf8());
    TForm6* w = openWindow();
    QComboBox* box = category ? w->categoryBox() : w->wordsBox();
    QLineEdit* edit = box->lineEdit();
    edit->setFocus();
    edit->clear();
    if (inputMethod) {
        QInputMethodEvent commit;
        commit.setCommitString(typed);
        QApplication::sendEvent(edit, &commit);
    } else {
        QTest::keyClicks(edit, typed);
    }
    QCOMPARE(edit->text(), typed);
    QVERIFY(edit->selectedText().isEmpty());
    QCompleter* completer = box->completer();
    QTRY_VERIFY(completer->popup()->isVisible());
    QCOMPARE(completer->currentCompletion(), offered);
    QTest::keyClick(completer->popup(), Qt::Key_Return);
    QTRY_COMPARE(w->statusText(0), count);
    QVERIFY(!completer->popup()->isVisible());
    QCOMPARE(box->currentText(), typed);
    QCOMPARE(category ? w->query().category : w->query().text, typed);
}

// "保存..." with the HTML layout: the page's style sheet and picture go into
// "<page>_files", never over the user's files beside it; a file there the
// user changed is replaced only after a question.
void TestSearchWindow::savingAPageReplacesNothingUnasked()
{
    m_f->stop();
    m_f->writeFile("Nox.ini", "[search]\r\nlayout=サンプル\r\n");
    m_f->start();
    m_link = installSearch(*m_f->form);
    TForm6* w = openWindow();
    search(w, "meeting");
    const QString docs = m_f->home.filePath("docs");
    QVERIFY(QDir().mkpath(docs));
    QVERIFY(writeFileAtomic(docs + "/style.css", "mine"));
    const auto saveAs = [&](const QString& fileName, QList<QMessageBox::StandardButton> answers) {
        MessageAnswers messages(std::move(answers));
        QTimer::singleShot(50, this, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->setDirectory(docs);
            auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->selectAll();
            QTest::keyClicks(name, fileName);
            QTest::keyClick(name, Qt::Key_Return);
        });
        clickButton(w->toolButton("保存..."));
        return messages.texts;
    };
    QVERIFY(saveAs("a", {}).isEmpty());
    QCOMPARE(readTextLines(docs + "/style.css")->lines, QStringList{"mine"});
    QVERIFY(QFile::exists(docs + "/a_files/style.css"));
    QVERIFY(QFile::exists(docs + "/a_files/nox.svg"));
    QVERIFY(!QFile::exists(docs + "/nox.svg"));
    QVERIFY(readTextLines(docs + "/a.html")->lines.join('\n').contains("href=\"a_files/style.css\""));

    QVERIFY(writeFileAtomic(docs + "/a_files/style.css", "edited"));
    QVERIFY(QFile::remove(docs + "/a.html"));
    QStringList asked = saveAs("a", {QMessageBox::No});
    QCOMPARE(asked.size(), 1);
    QVERIFY(asked.first().contains(QDir::toNativeSeparators(docs + "/a_files/style.css")));
    QCOMPARE(readTextLines(docs + "/a_files/style.css")->lines, QStringList{"edited"});
    QVERIFY(!QFile::exists(docs + "/a.html"));
    asked = saveAs("a", {QMessageBox::Yes});
    QCOMPARE(asked.size(), 1);
    QVERIFY(readTextLines(docs + "/a_files/style.css")->lines != QStringList{"edited"});
    QVERIFY(QFile::exists(docs + "/a.html"));
    QCOMPARE(readTextLines(docs + "/style.css")->lines, QStringList{"mine"});
}

// A place no screen has (a damaged or hand-edited file) puts the window
// where it can be seen and grabbed; a start date of no sensible year reads
// as today.
void TestSearchWindow::placeFarOffScreenComesBack()
{
    m_f->stop();
    m_f->writeFile("Nox.ini", "[search]\r\nleft=30000\r\ntop=-30000\r\nscheck=1\r\nsdate=0001/01/01\r\n");
    m_f->start();
    m_link = installSearch(*m_f->form);
    TForm6* w = openWindow();
    QVERIFY(w);
    const QRect screen = w->screen()->availableGeometry();
    QVERIFY2(screen.intersects(w->geometry()), qPrintable(QStringLiteral("%1,%2").arg(w->x()).arg(w->y())));
    QVERIFY(screen.contains(w->geometry().topLeft()));
    const auto* start = w->findChildren<QDateEdit*>().value(0);
    QVERIFY(start);
    QCOMPARE(start->date().year(), QDate::currentDate().year());
}

QTEST_MAIN(TestSearchWindow)
#include "tst_searchwindow.moc"
