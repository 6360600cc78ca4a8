#include <QAbstractItemView>
#include <QCalendarWidget>
#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "dialogs/gotodate.h"
#include "dialogs/processing.h"

using namespace nox;

namespace
{

// Runs `action` on the modal dialog once it is up.
template <typename F> void whenDialogShown(F action)
{
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<TForm3*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        action(dialog);
    });
}

void saveShot(QWidget* widget, const QString& name)
{
    const QString folder = qEnvironmentVariable("NOX_TEST_SHOTS");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        widget->grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
    }
}

} // namespace

class TestGoToDate : public QObject
{
    Q_OBJECT
private slots:
    void okReturnsChosenDate();
    void sameDateStillReturnsTrue();
    void cancelLeavesDateAlone_data();
    void cancelLeavesDateAlone();
    void enterOnCalendarTakesTheDay();
    void dialogLooksAsSpecified();
    void sixWeeksFitTheSmallestDialog_data();
    void sixWeeksFitTheSmallestDialog();
    void processingWindowCounts();
};

void TestGoToDate::okReturnsChosenDate()
{
    QDate date(2024, 2, 28);
    whenDialogShown([](TForm3* dialog) {
        QCOMPARE(dialog->Calendar()->selectedDate(), QDate(2024, 2, 28));
        QTest::keyClick(dialog->Calendar()->findChild<QAbstractItemView*>()->viewport(), Qt::Key_Right);
        QCOMPARE(dialog->Calendar()->selectedDate(), QDate(2024, 2, 29));
        QTest::mouseClick(dialog->OkButton(), Qt::LeftButton);
    });
    QVERIFY(ShowGoToDate(nullptr, date));
    QCOMPARE(date, QDate(2024, 2, 29));
}

void TestGoToDate::sameDateStillReturnsTrue()
{
    QDate date(2030, 12, 31);
    whenDialogShown([](TForm3* dialog) { QTest::keyClick(dialog, Qt::Key_Return); });
    QVERIFY(ShowGoToDate(nullptr, date));
    QCOMPARE(date, QDate(2030, 12, 31));
}

void TestGoToDate::cancelLeavesDateAlone_data()
{
    QTest::addColumn<int>("how");
    QTest::newRow("cancel button") << 0;
    QTest::newRow("escape") << 1;
    QTest::newRow("close box") << 2;
}

void TestGoToDate::cancelLeavesDateAlone()
{
    QFETCH(int, how);
    QDate date(2025, 1, 15);
    whenDialogShown([how](TForm3* dialog) {
        dialog->Calendar()->setSelectedDate(QDate(2025, 3, 3));
        if (how == 0) {
            QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
        } else if (how == 1) {
            QTest::keyClick(dialog, Qt::Key_Escape);
        } else {
            dialog->close();
        }
    });
    QVERIFY(!ShowGoToDate(nullptr, date));
    QCOMPARE(date, QDate(2025, 1, 15));
}

void TestGoToDate::enterOnCalendarTakesTheDay()
{
    QDate date(2026, 5, 1);
    whenDialogShown([](TForm3* dialog) {
        auto* view = dialog->Calendar()->findChild<QAbstractItemView*>();
        view->setFocus();
        QTest::keyClick(view->viewport(), Qt::Key_Down);
        QTest::keyClick(view->viewport(), Qt::Key_Return);
    });
    QVERIFY(ShowGoToDate(nullptr, date));
    QCOMPARE(date, QDate(2026, 5, 8));
}

void TestGoToDate::dialogLooksAsSpecified()
{
    QWidget owner;
    owner.setGeometry(100, 100, 800, 600);
    owner.show();
    QDate date(2026, 12, 7);
    whenDialogShown([&owner](TForm3* dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("日付変更"));
        QVERIFY(qAbs(dialog->frameGeometry().center().x() - owner.frameGeometry().center().x()) <= 2);
        // The calendar grows with the window.
        const int before = dialog->Calendar()->height();
        dialog->resize(500, 400);
        QApplication::processEvents();
        QVERIFY(dialog->Calendar()->height() > before);
        saveShot(dialog, QStringLiteral("gotodate"));
        dialog->reject();
    });
    QVERIFY(!ShowGoToDate(&owner, date));
}

void TestGoToDate::sixWeeksFitTheSmallestDialog_data()
{
    QTest::addColumn<qreal>("scale");
    QTest::newRow("1x") << 1.0;
    QTest::newRow("large type") << 1.5;
}

// January 2027 needs six rows (the 31st is a Sunday): every one of them is
// in sight at the dialog's default and smallest size, and the header reads
// the year before the month.
void TestGoToDate::sixWeeksFitTheSmallestDialog()
{
    QFETCH(qreal, scale);
    QFont font = QApplication::font();
    const QFont saved = font;
    font.setPointSizeF(font.pointSizeF() * scale);
    QApplication::setFont(font);
    TForm3 dialog;
    dialog.SetDate(QDate(2027, 1, 31));
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.size(), QSize(339, 193));
    auto* view = dialog.Calendar()->findChild<QTableView*>();
    QVERIFY(view);
    const int lastRow = view->model()->rowCount() - 1;
    QVERIFY2(view->rowViewportPosition(lastRow) + view->rowHeight(lastRow) <= view->viewport()->height(),
             qPrintable(QStringLiteral("%1 + %2 > %3")
                            .arg(view->rowViewportPosition(lastRow))
                            .arg(view->rowHeight(lastRow))
                            .arg(view->viewport()->height())));
    auto* year = dialog.Calendar()->findChild<QToolButton*>(QStringLiteral("qt_calendar_yearbutton"));
    auto* month = dialog.Calendar()->findChild<QToolButton*>(QStringLiteral("qt_calendar_monthbutton"));
    QCOMPARE(year->text() + month->text(), QStringLiteral("2027年1月"));
    QVERIFY(year->geometry().right() < month->geometry().left());
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(lastRow, 0)).center());
    QCOMPARE(dialog.Date(), QDate(2027, 1, 31));
    saveShot(&dialog, QStringLiteral("gotodate-small-%1").arg(scale));
    QApplication::setFont(saved);
}

void TestGoToDate::processingWindowCounts()
{
    QWidget owner;
    owner.resize(600, 400);
    owner.show();
    TForm10 progress(&owner, QStringLiteral("更新中..."));
    QVERIFY(progress.isVisible());
    QCOMPARE(progress.windowTitle(), QStringLiteral("更新中..."));
    QCOMPARE(progress.Label()->text(), QStringLiteral("更新中..."));
    QVERIFY(progress.windowFlags() & Qt::WindowStaysOnTopHint);
    progress.SetMaximum(3);
    for (int i = 0; i < 5; ++i) {
        progress.Advance();
    }
    QCOMPARE(progress.Position(), 3);
    QCOMPARE(progress.ProgressBar()->maximum(), 3);
    progress.SetText(QStringLiteral("削除中..."));
    progress.SetMaximum(10);
    QCOMPARE(progress.Position(), 0);
    progress.Advance();
    saveShot(&progress, QStringLiteral("processing"));
    progress.close();
    QVERIFY(!progress.isVisible());
}

QTEST_MAIN(TestGoToDate)
#include "tst_gotodate.moc"
