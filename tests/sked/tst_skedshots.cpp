// Representative states of the day view, saved for review when
// NOX_TEST_SHOTS names a folder; the checks keep each state honest.
#include "skedtest.h"

#include <QApplication>
#include <QTest>

using namespace nox;
using namespace nox::sked;

namespace
{

const QStringList days{QStringLiteral("12月7日(月)"), QStringLiteral("12月8日(火)"),
                       QStringLiteral("12月9日(水)"),
                       QStringLiteral("12月10日(木) 祝日・長い見出しの確認用")};

// A week-like control as the main window sets it up.
void setUpControl(TSkedControl& control)
{
    control.setFont(skedtest::testFont(13));
    skedtest::fillLines(control.Lines());
    control.setReadOnly(false);
    control.setHideSelection(false);
    control.setDragMode(dmAutomatic);
    control.setImages(&skedtest::images());
    control.View().TopBar().setHeight(20);
    control.View().TopBar().setAlignment(taCenter);
    control.View().TopBar().setColor(0xF5E8D8);
    control.View().LeftBar().setColor(0xF4F4F4);
    control.View().LeftBar().setWidth(44);
    control.setSkedCount(4);
    control.BeginUpdate();
    for (int i = 0; i < control.SkedCount(); ++i) {
        control.Skeds(i)->View().TopBar().setCaption(days.at(i));
    }
    TSked* monday = control.Skeds(0);
    skedtest::addItem(*monday, 18, 24, QStringLiteral("定例会議（第二会議室）"))->setLineColor(clNavy);
    skedtest::addItem(*monday, 19, 20, QStringLiteral("資料準備"), 0)->setLineColor(clRed);
    skedtest::addItem(*monday, 20, 22, QStringLiteral("来客対応"))->setLineColor(clGreen);
    skedtest::addItem(*monday, 26, 26, QStringLiteral("昼食"));
    TSked* tuesday = control.Skeds(1);
    skedtest::addItem(*tuesday, 17, 17, QStringLiteral("電話"), 2);
    skedtest::addItem(*tuesday, 17, 19, QStringLiteral("打ち合わせ\nメモを持参"))->setLineColor(clPurple);
    TSkedItem* bold = skedtest::addItem(*tuesday, 22, 23, QStringLiteral("締め切り"));
    bold->Font().setStyle(fsBold);
    bold->Font().setColor(clRed);
    TSked* wednesday = control.Skeds(2);
    skedtest::addItem(
        *wednesday, 18, 30,
        QStringLiteral("出張：大阪支社。新幹線の時刻を確認すること。長い文章の折り返しの確認。"), 1)
        ->setLineColor(clTeal);
    skedtest::addItem(*wednesday, 21, 22, QStringLiteral("移動"));
    control.EndUpdate();
    control.Skeds(0)->View().LeftBar().setHighlightLine(19);
}

} // namespace

class TestSkedShots : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { skedtest::setUpFonts(); }

    void severalColumnsWithSelection()
    {
        TSkedControl control;
        setUpControl(control);
        QVERIFY(skedtest::showActive(control, QSize(760, 480)));
        control.setTopRow(16);
        TSked* monday = control.Skeds(0);
        monday->setFocus();
        monday->Items().Items(1)->setSelected(true);
        QApplication::processEvents();
        QCOMPARE(control.TopRow(), 16);
        QCOMPARE(control.ActiveSked(), monday);
        skedtest::saveShot(control, QStringLiteral("sked-columns"));
    }

    void openEditor()
    {
        TSkedControl control;
        setUpControl(control);
        QVERIFY(skedtest::showActive(control, QSize(760, 480)));
        control.setTopRow(16);
        TSked* tuesday = control.Skeds(1);
        tuesday->setFocus();
        QVERIFY(tuesday->Items().Items(1)->EditText());
        QVERIFY(tuesday->isEditing());
        QApplication::processEvents();
        skedtest::saveShot(control, QStringLiteral("sked-editor"));
    }

    void handleDragInProgress()
    {
        TSkedControl control;
        setUpControl(control);
        QVERIFY(skedtest::showActive(control, QSize(760, 480)));
        control.setTopRow(16);
        TSked* monday = control.Skeds(0);
        monday->setFocus();
        TSkedItem* item = monday->Items().Items(2);
        item->setSelected(true);
        const QPoint grip = item->BottomGrip().center();
        QTest::mouseMove(monday->viewport(), grip);
        QCOMPARE(monday->GripState(), sked::TGripState::Hover);
        QTest::mousePress(monday->viewport(), Qt::LeftButton, {}, grip);
        QTest::mouseMove(monday->viewport(),
                         skedtest::rowPoint(*monday, monday->Lines().Items(25)->RowStarts.first()));
        QCOMPARE(monday->GripState(), sked::TGripState::Moving);
        QApplication::processEvents();
        skedtest::saveShot(control, QStringLiteral("sked-handle-drag"));
        QTest::keyClick(monday, Qt::Key_Escape);
        QCOMPARE(monday->GripState(), sked::TGripState::None);
    }

    void singleColumnFocusFrame()
    {
        TSked sked;
        sked.setFont(skedtest::testFont(13));
        skedtest::fillLines(sked.Lines());
        sked.setReadOnly(false);
        sked.View().TopBar().setCaption(QStringLiteral("2026年12月7日(月)"));
        sked.View().FocusStyle().setRectStyle(sfrLine);
        sked.View().FocusStyle().setRectLineWidth(2);
        sked.setImages(&skedtest::images());
        skedtest::addItem(sked, 2, 4, QStringLiteral("早朝の作業"), 3);
        skedtest::addItem(sked, 3, 3, QStringLiteral("確認"));
        QVERIFY(skedtest::showActive(sked, QSize(260, 300)));
        sked.setFocus();
        sked.SelectRow(3, true);
        QApplication::processEvents();
        skedtest::saveShot(sked, QStringLiteral("sked-column"));
    }
};

QTEST_MAIN(TestSkedShots)
#include "tst_skedshots.moc"
