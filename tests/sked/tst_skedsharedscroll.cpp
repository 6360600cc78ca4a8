// Shared scrolling of the multi-day control: columns added later and columns
// refilled in a bulk update follow the shared TopRow, and a wheel over a
// column reaches the control's OnMouseWheel.
#include "skedtest.h"

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <QWheelEvent>

using namespace nox;
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

// One notch of the wheel over the middle of a column, delivered to the widget
// under the mouse. Returns the position in the control's viewport.
QPoint turnWheel(TSked* sked, int delta)
{
    QWidget* target = sked->viewport();
    const QPointF pos(target->width() / 2.0, target->height() / 2.0);
    QWheelEvent event(pos, target->mapToGlobal(pos), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &event);
    return target->mapTo(sked->SkedControl()->viewport(), pos).toPoint();
}

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

    void wheelOverAColumnScrollsEveryColumn()
    {
        Fixture f(3);
        QVERIFY(f.show());
        QList<QObject*> senders;
        QList<QPoint> positions;
        f.control->OnMouseWheel = [&](QObject* sender, Qt::KeyboardModifiers, int delta, QPoint pos,
                                      bool& handled) {
            senders << sender;
            positions << pos;
            f.control->setTopRow(f.control->TopRow() + (delta > 0 ? -1 : 1));
            handled = true;
        };
        f.control->setTopRow(16);
        const QPoint at = turnWheel(f.column(1), -120); // towards the user: down
        QCOMPARE(senders, QList<QObject*>{f.control});
        QCOMPARE(positions, QList<QPoint>{at});
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(f.column(i)->TopRow(), 17);
        }
        turnWheel(f.column(2), 120);
        turnWheel(f.column(0), 120);
        QCOMPARE(senders.size(), 3);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(f.column(i)->TopRow(), 15);
        }
        QCOMPARE(f.window.wheels, 0);
    }

    void unhandledWheelGoesOnToTheWindowOnce()
    {
        Fixture f(2);
        QVERIFY(f.show());
        int offered = 0;
        f.control->OnMouseWheel = [&](QObject*, Qt::KeyboardModifiers, int, QPoint, bool&) { ++offered; };
        turnWheel(f.column(1), -120);
        QCOMPARE(offered, 1);
        QCOMPARE(f.window.wheels, 1);
        // A column's own handler that takes the wheel keeps it from the control.
        f.column(1)->OnMouseWheel = [](QObject*, Qt::KeyboardModifiers, int, QPoint, bool& handled) {
            handled = true;
        };
        turnWheel(f.column(1), -120);
        QCOMPARE(offered, 1);
        QCOMPARE(f.window.wheels, 1);
    }
};

QTEST_MAIN(TestSkedSharedScroll)
#include "tst_skedsharedscroll.moc"
