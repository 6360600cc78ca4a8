// The multi-day control: columns, master copies, the active column,
// selection in step, keys between columns, shared scrolling, bulk updates.
#include "skedtest.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

using namespace nox;
using namespace nox::sked;

namespace
{

struct Fixture {
    // What the events report; declared before the window, which raises
    // events while it is destroyed.
    int changes = 0;
    QList<QPair<int, int>> selections; // (column, row) per OnSkedSelectItem
    QWidget window;
    TSkedControl* control;
    QLineEdit* other;

    explicit Fixture(int count = 4)
    {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        control = new TSkedControl(&window);
        other = new QLineEdit(&window);
        layout->addWidget(control, 1);
        layout->addWidget(other);
        skedtest::fillLines(control->Lines());
        control->setReadOnly(false);
        control->setSkedCount(count);
        control->OnChange = [this](QObject*) { ++changes; };
        control->OnSkedSelectItem = [this](QObject* sender, TSked* sked, TLineItem*, TSkedItem*) {
            QCOMPARE(sender, control);
            selections.append({control->Skeds(0) == sked ? 0 : indexOf(sked), sked->FocusRow()});
        };
    }
    int indexOf(TSked* sked) const
    {
        for (int i = 0; i < control->SkedCount(); ++i) {
            if (control->Skeds(i) == sked) {
                return i;
            }
        }
        return -1;
    }
    bool show() { return skedtest::showActive(window, QSize(800, 430)); }
    void click(int column, int row)
    {
        TSked* sked = control->Skeds(column);
        QTest::mouseClick(sked->viewport(), Qt::LeftButton, {}, skedtest::rowPoint(*sked, row));
    }
};

} // namespace

class TestSkedControl : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { skedtest::setUpFonts(); }

    void columnWidthsGiveRemainderToLast_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("width");
        QTest::addColumn<QList<int>>("widths");
        QTest::newRow("3 in 301") << 3 << 301 << QList<int>{100, 100, 101};
        QTest::newRow("7 in 706") << 7 << 706 << QList<int>{100, 100, 100, 100, 100, 100, 106};
        QTest::newRow("1 in 250") << 1 << 250 << QList<int>{250};
    }

    void columnWidthsGiveRemainderToLast()
    {
        QFETCH(int, count);
        QFETCH(int, width);
        QFETCH(QList<int>, widths);
        TSkedControl control;
        control.setScrollBar(false);
        control.setSkedCount(count);
        control.resize(width, 300);
        control.show();
        QApplication::processEvents();
        QCOMPARE(control.viewport()->width(), width);
        int x = 0;
        for (int i = 0; i < count; ++i) {
            QCOMPARE(control.Skeds(i)->geometry(), QRect(x, 0, widths.at(i), control.viewport()->height()));
            QCOMPARE(control.Skeds(i)->objectName(), QStringLiteral("Daycol%1").arg(i));
            x += widths.at(i);
        }
        QVERIFY(!control.Skeds(count));
        QVERIFY(!control.Skeds(-1));
    }

    void removingActiveColumnClearsItSilently()
    {
        Fixture f(4);
        QVERIFY(f.show());
        f.control->setActiveIndex(3);
        QCOMPARE(f.control->ActiveIndex(), 3);
        const int changes = f.changes;
        f.control->setSkedCount(2);
        QCOMPARE(f.control->SkedCount(), 2);
        QVERIFY(!f.control->ActiveSked());
        QCOMPARE(f.changes, changes);
    }

    void clickInAnotherColumnActivatesItAndSelectsInStep()
    {
        Fixture f(3);
        TSked* first = f.control->Skeds(0);
        TSkedItem* item = skedtest::addItem(*first, 2, 3, QStringLiteral("予定"));
        QVERIFY(f.show());
        f.click(0, item->FirstRow());
        QCOMPARE(f.control->ActiveSked(), first);
        QCOMPARE(first->SelectedItem(), item);
        f.changes = 0;
        f.selections.clear();
        f.click(2, 9);
        QCOMPARE(f.control->ActiveIndex(), 2);
        QCOMPARE(f.changes, 1);
        // Column 0 first drops its item selection to its first plain row.
        QCOMPARE(f.selections.size(), 2);
        QCOMPARE(f.selections.at(0), (QPair<int, int>{0, 0}));
        QCOMPARE(f.selections.at(1), (QPair<int, int>{2, 9}));
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(f.control->Skeds(i)->FocusRow(), 9);
        }
        QVERIFY(!item->Selected());
        QCOMPARE(f.control->Skeds(0)->EditGuard(), sked::TEditGuard::FocusClick);
        QCOMPARE(f.control->Skeds(1)->EditGuard(), sked::TEditGuard::FocusClick);
    }

    void hideSelectionGoesToActiveColumnOnly()
    {
        Fixture f(2);
        f.control->setHideSelection(false);
        QVERIFY(f.show());
        f.click(0, 3);
        QVERIFY(!f.control->Skeds(0)->HideSelection());
        QVERIFY(f.control->Skeds(1)->HideSelection());
        f.click(1, 3);
        QVERIFY(f.control->Skeds(0)->HideSelection());
        QVERIFY(!f.control->Skeds(1)->HideSelection());
    }

    void leftRightMoveBetweenColumns()
    {
        Fixture f(3);
        QVERIFY(f.show());
        f.click(0, 6);
        QTest::keyClick(f.control->Skeds(0), Qt::Key_Left);
        QCOMPARE(f.control->ActiveIndex(), 0);
        QTest::keyClick(f.control->Skeds(0), Qt::Key_Right);
        QCOMPARE(f.control->ActiveIndex(), 1);
        QVERIFY(f.control->Skeds(1)->hasFocus());
        QCOMPARE(f.control->Skeds(1)->FocusRow(), 6);
        QTest::keyClick(f.control->Skeds(1), Qt::Key_Right);
        const int changes = f.changes;
        QTest::keyClick(f.control->Skeds(2), Qt::Key_Right);
        QCOMPARE(f.control->ActiveIndex(), 2);
        QCOMPARE(f.changes, changes);
    }

    void tabLeavesTheControl()
    {
        Fixture f(2);
        QVERIFY(f.show());
        f.click(1, 2);
        QTest::keyClick(f.control->Skeds(1), Qt::Key_Tab);
        QVERIFY(f.other->hasFocus());
        QCOMPARE(f.control->ActiveIndex(), 1);
    }

    void controlFocusGoesToActiveColumn()
    {
        Fixture f(3);
        QVERIFY(f.show());
        f.click(2, 2);
        f.other->setFocus();
        f.control->setFocus(Qt::TabFocusReason);
        QVERIFY(f.control->Skeds(2)->hasFocus());
        f.control->setActiveIndex(1);
        QVERIFY(f.control->Skeds(1)->hasFocus());
    }

    void keyDownHandlerSeesTheColumnAndCanSwallow()
    {
        Fixture f(2);
        TSked* seen = nullptr;
        f.control->OnSkedKeyDown = [&](QObject*, TSked* sked, int& key, Qt::KeyboardModifiers) {
            seen = sked;
            if (key == Qt::Key_Right) {
                key = 0;
            }
        };
        QVERIFY(f.show());
        f.click(0, 2);
        QTest::keyClick(f.control->Skeds(0), Qt::Key_Right);
        QCOMPARE(seen, f.control->Skeds(0));
        QCOMPARE(f.control->ActiveIndex(), 0);
    }

    void sharedScrollBarPagesAndSteps()
    {
        Fixture f(3);
        QVERIFY(f.show());
        QCOMPARE(f.control->PageRows(), f.control->Skeds(0)->VisibleRows());
        f.control->setTopRow(3);
        QScrollBar* bar = f.control->verticalScrollBar();
        QCOMPARE(bar->value(), 3);
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(f.control->TopRow(), 0);
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(f.control->TopRow(), 1);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(f.control->Skeds(i)->TopRow(), 1);
        }
        f.control->setTopRow(500);
        QCOMPARE(f.control->TopRow(), f.control->MaxRowCount());
    }

    void keyboardScrollingScrollsEveryColumn()
    {
        Fixture f(3);
        QVERIFY(f.show());
        f.click(1, 0);
        QTest::keyClick(f.control->Skeds(1), Qt::Key_End);
        const int top = f.control->Skeds(1)->TopRow();
        QVERIFY(top > 0);
        QCOMPARE(f.control->TopRow(), top);
        QCOMPARE(f.control->Skeds(0)->TopRow(), top);
        QCOMPARE(f.control->Skeds(2)->TopRow(), top);
    }

    void masterViewReachesEveryColumnButCaptions()
    {
        Fixture f(3);
        QVERIFY(f.show());
        f.control->Skeds(1)->View().TopBar().setCaption(QStringLiteral("12月8日(火)"));
        f.control->View().LeftBar().setWidth(48);
        f.control->View().TopBar().setColor(clYellow);
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(f.control->Skeds(i)->View().LeftBar().Width(), 48);
            QCOMPARE(f.control->Skeds(i)->View().TopBar().Color(), clYellow);
            QCOMPARE(f.control->Skeds(i)->layout().view.left(), 48);
        }
        QCOMPARE(f.control->Skeds(1)->View().TopBar().Caption(), QStringLiteral("12月8日(火)"));
        QCOMPARE(f.control->Skeds(0)->View().TopBar().Caption(), QString());
    }

    void masterLinesOptionsAndFlagsReachEveryColumn()
    {
        Fixture f(2);
        QVERIFY(f.show());
        f.control->Lines().Items(0)->setCaption(QStringLiteral("深夜"));
        f.control->SkedOptions().setBevelKind(bkNone);
        f.control->setReadOnly(true);
        f.control->setDragMode(dmAutomatic);
        for (int i = 0; i < 2; ++i) {
            TSked* sked = f.control->Skeds(i);
            QCOMPARE(sked->Lines().Items(0)->Caption(), QStringLiteral("深夜"));
            QCOMPARE(sked->Lines().Count(), 48);
            QVERIFY(sked->ReadOnly());
            QCOMPARE(sked->DragMode(), dmAutomatic);
            QVERIFY(!sked->ScrollBar());
            QCOMPARE(sked->viewport()->geometry(), sked->rect());
        }
    }

    void controlImagesServeEveryColumn()
    {
        Fixture f(2);
        QVERIFY(f.show());
        TSkedItem* item = skedtest::addItem(*f.control->Skeds(1), 5, 5, QString(), 2);
        QVERIFY(!item->HasImage());
        f.control->setImages(&skedtest::images());
        QVERIFY(item->HasImage());
        QCOMPARE(f.control->Skeds(1)->RowCount(), 49);
        f.control->setImages(nullptr);
        QVERIFY(!item->HasImage());
        QCOMPARE(f.control->Skeds(1)->RowCount(), 48);
    }

    void bulkUpdateRendersEachColumnOnce()
    {
        Fixture f(4);
        QVERIFY(f.show());
        QList<int> before;
        for (int i = 0; i < 4; ++i) {
            before.append(f.control->Skeds(i)->renderCount());
        }
        f.control->BeginUpdate();
        for (int i = 0; i < 4; ++i) {
            for (int k = 0; k < 5; ++k) {
                skedtest::addItem(*f.control->Skeds(i), 4 * k, 4 * k + 2, QStringLiteral("予定%1").arg(k));
            }
        }
        QCOMPARE(f.control->UpdateCount(), 1);
        f.control->EndUpdate();
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(f.control->Skeds(i)->renderCount(), before.at(i) + 1);
            QCOMPARE(f.control->Skeds(i)->Items().Count(), 5);
        }
        QCOMPARE(f.control->verticalScrollBar()->maximum(),
                 f.control->MaxRowCount() - f.control->PageRows() + 1);
    }

    void eventsPassReferencesBack()
    {
        Fixture f(2);
        TSked* second = f.control->Skeds(1);
        TSkedItem* item = skedtest::addItem(*second, 5, 6, QStringLiteral("a"));
        f.control->OnSkedEditing = [&](QObject*, TSked* sked, TSkedItem*, bool& allow) {
            allow = sked != second;
        };
        QVERIFY(f.show());
        QVERIFY(!item->EditText());
        f.control->OnSkedEditing = nullptr;
        second->setDate(QDate(2026, 3, 12));
        item->ID = 42;
        QList<TSkedDragItem> edited;
        f.control->OnSkedEdited = [&](QObject*, const QDate& day, qint32 id, const QString& s) {
            edited << TSkedDragItem{day, id};
            return s + QStringLiteral("!");
        };
        QVERIFY(item->EditText());
        QTest::keyClicks(second->InplaceEdit(), "b");
        QTest::keyClick(second->InplaceEdit(), Qt::Key_Return);
        QCOMPARE(second->Items().Items(0)->Text(), QStringLiteral("b!"));
        QCOMPARE(edited, (QList<TSkedDragItem>{{QDate(2026, 3, 12), 42}}));
    }
};

QTEST_MAIN(TestSkedControl)
#include "tst_skedcontrol.moc"
