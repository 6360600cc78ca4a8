// Shared scrolling of the multi-day control: columns added later and columns
// refilled in a bulk update follow the shared TopRow, and a wheel over a
// column reaches the control's OnMouseWheel.
#include "skedtest.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

using namespace nox::sked;

namespace
{

// A window that counts the wheels reaching it.
class WheelWindow : public QWidget
{
public:
    int wheels = 0;

protected:
    void wheelEvent(QWheelEvent* e) override
    {
        ++wheels;
        e->ignore();
    }
};

struct Fixture {
    WheelWindow window;
    TSkedControl* control;

    explicit Fixture(int count)
    {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        control = new TSkedControl(&window);
        layout->addWidget(control);
        skedtest::fillLines(control->Lines());
        control->setSkedCount(count);
    }
    bool show() { return skedtest::showActive(window, QSize(600, 300)); }
    TSked* column(int index) const { return control->Skeds(index); }
};

} // namespace

class TestSkedSharedScroll : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { skedtest::setUpFonts(); }

    void newColumnsStartAtTheSharedTopRow()
    {
        Fixture f(2);
        QVERIFY(f.show());
        f.control->setTopRow(10);
        f.control->setSkedCount(5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(f.column(i)->TopRow(), 10);
        }
        f.control->verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(f.column(i)->TopRow(), 11);
        }
    }

    // Scrolled far down in a busy day, the next day's busy column must not
    // stay where its former, shorter content had clamped it.
    void refilledColumnFollowsAfterBulkUpdate()
    {
        Fixture f(3);
        QVERIFY(f.show());
        for (int i = 0; i < 30; ++i) {
            skedtest::addItem(*f.column(0), 20, 21, QStringLiteral("busy"));
        }
        const int rows = f.column(0)->RowCount();
        QVERIFY(rows > f.column(1)->RowCount() + 10);
        f.control->setTopRow(rows - 5);
        QCOMPARE(f.column(1)->TopRow(), f.column(1)->RowCount()); // clamped to its own rows

        f.control->BeginUpdate();
        f.column(0)->Items().Clear();
        for (int i = 0; i < 30; ++i) {
            skedtest::addItem(*f.column(1), 20, 21, QStringLiteral("busy"));
        }
        f.control->EndUpdate();
        QCOMPARE(f.control->TopRow(), rows - 5);
        QCOMPARE(f.column(1)->TopRow(), rows - 5);
        QCOMPARE(f.column(0)->TopRow(), f.column(0)->RowCount());
    }
};

QTEST_MAIN(TestSkedSharedScroll)
#include "tst_skedsharedscroll.moc"
