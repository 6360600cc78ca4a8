// Appearance objects, lines and the item list of the day view.
#include "skedtest.h"

#include <QTest>

using namespace nox;
using namespace nox::sked;

class TestSkedModel : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { skedtest::setUpFonts(); }

    void lineWidthNeverExceedsIndent()
    {
        TView view;
        view.setIndentSize(1);
        QCOMPARE(view.LineWidth(), 1);
        QCOMPARE(view.IndentSize(), 1);
        view.setIndentSize(8);
        view.setLineWidth(10);
        QCOMPARE(view.LineWidth(), 8);
    }

    void assignCutsLineWidthToTargetIndent()
    {
        TView source;
        source.setIndentSize(12);
        source.setLineWidth(10);
        TView target;
        target.Assign(source);
        QCOMPARE(target.LineWidth(), 8);
        QCOMPARE(target.IndentSize(), 12);
    }

    void settersNotifyOnlyRealChanges()
    {
        TView view;
        int content = 0, size = 0, top = 0, left = 0;
        view.OnContentChange = [&] { ++content; };
        view.OnSizeChange = [&] { ++size; };
        view.OnTopBarChange = [&] { ++top; };
        view.OnLeftBarChange = [&] { ++left; };
        view.setLineWidth(2); // unchanged
        view.TopBar().setHeight(16);
        QCOMPARE(content + size + top + left, 0);
        view.TopBar().setHeight(20);
        view.LeftBar().setVisible(false);
        view.TopBar().Font().setStyle(fsBold);
        view.LeftBar().setHighlightLine(3);
        view.FocusStyle().Font().setColor(clRed);
        QCOMPARE(size, 2);
        QCOMPARE(top, 1);
        QCOMPARE(left, 1);
        QCOMPARE(content, 1);
    }

    void topBarAssignKeepsCaption()
    {
        TTopBar source, target;
        source.setCaption(QStringLiteral("12月7日(月)"));
        source.setHeight(30);
        source.setAlignment(taCenter);
        target.setCaption(QStringLiteral("元の見出し"));
        target.Assign(source);
        QCOMPARE(target.Caption(), QStringLiteral("元の見出し"));
        QCOMPARE(target.Height(), 30);
        QCOMPARE(target.Alignment(), taCenter);
    }

    void leftBarAssignKeepsHighlightLine()
    {
        TLeftBar source, target;
        source.setHighlightLine(5);
        source.setWidth(50);
        target.Assign(source);
        QCOMPARE(target.HighlightLine(), -1);
        QCOMPARE(target.Width(), 50);
    }

    void focusStyleAssignCopiesSilentlyExceptFont()
    {
        TFocusStyle source, target;
        source.setColor(clGreen);
        source.setRectStyle(sfrLine);
        int changes = 0;
        target.OnChange = [&] { ++changes; };
        target.Assign(source);
        QCOMPARE(target.Color(), clGreen);
        QCOMPARE(target.RectStyle(), sfrLine);
        QCOMPARE(changes, 0);
        source.Font().setStyle(fsItalic);
        target.Assign(source);
        QCOMPARE(changes, 1);
    }

    void linesNotifyOncePerUpdate()
    {
        TLines lines;
        int changes = 0;
        lines.OnChange = [&] { ++changes; };
        skedtest::fillLines(lines);
        QCOMPARE(changes, 1);
        QCOMPARE(lines.Count(), 48);
        QCOMPARE(lines.Items(17)->Caption(), QStringLiteral("8:30"));
        QVERIFY(!lines.Items(48));
        lines.Items(0)->setCaption(QString());
        QCOMPARE(lines.Items(0)->DisplayName(), QStringLiteral("TLineItem"));
        QCOMPARE(changes, 2);
    }

    void itemListBounds()
    {
        TSked sked;
        skedtest::fillLines(sked.Lines());
        TSkedItem* a = skedtest::addItem(sked, 2, 3);
        QCOMPARE(sked.Items().Items(0), a);
        QVERIFY(!sked.Items().Items(-1));
        QVERIFY(!sked.Items().Items(sked.Items().Count()));
    }

    void keysAreNeverReused()
    {
        TSked sked;
        skedtest::fillLines(sked.Lines());
        TSkedItem* a = skedtest::addItem(sked, 2, 3);
        TSkedItem* b = skedtest::addItem(sked, 4, 4);
        const int keyA = a->Key();
        QVERIFY(b->Key() > keyA);
        sked.Items().Delete(a->Index());
        QCOMPARE(sked.Items().IndexOfKey(keyA), -1);
        TSkedItem* c = skedtest::addItem(sked, 5, 5);
        QVERIFY(c->Key() > b->Key());
    }

    void addRejectsForeignAndDuplicateItems()
    {
        TSked one, two;
        auto* item = new TSkedItem(&one.Items());
        QVERIFY(!two.Items().Add(item));
        QVERIFY(one.Items().Add(item));
        QVERIFY(!one.Items().Add(item));
        QCOMPARE(one.Items().Count(), 1);
        QCOMPARE(two.Items().Count(), 0);
    }

    void bulkAddNotifiesOnce()
    {
        TSked sked;
        skedtest::fillLines(sked.Lines());
        int changes = 0;
        sked.OnItemsChange = [&] { ++changes; };
        sked.Items().BeginUpdate();
        sked.Items().BeginUpdate();
        for (int i = 0; i < 10; ++i) {
            skedtest::addItem(sked, i, i + 1, QStringLiteral("予定%1").arg(i));
        }
        sked.Items().EndUpdate();
        QCOMPARE(changes, 0);
        sked.Items().EndUpdate();
        QCOMPARE(changes, 1);
        sked.Items().EndUpdate(); // below zero is corrected and notifies once more
        QCOMPARE(sked.Items().UpdateCount(), 0);
        QCOMPARE(changes, 2);
    }

    void sortOrderKeepsCreationOrderForEqualRanges()
    {
        TSked sked;
        skedtest::fillLines(sked.Lines());
        TSkedItem* late = skedtest::addItem(sked, 10, 12);
        TSkedItem* first = skedtest::addItem(sked, 4, 6);
        TSkedItem* twinA = skedtest::addItem(sked, 8, 8);
        TSkedItem* twinB = skedtest::addItem(sked, 8, 8);
        TSkedItem* shorter = skedtest::addItem(sked, 4, 5);
        const QList<TSkedItem*> expected{shorter, first, twinA, twinB, late};
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(sked.Items().Items(i), expected.at(i));
        }
    }

    void levelsFollowOverlaps()
    {
        TSked sked;
        skedtest::fillLines(sked.Lines());
        TSkedItem* a = skedtest::addItem(sked, 2, 6);
        TSkedItem* b = skedtest::addItem(sked, 3, 4);
        TSkedItem* c = skedtest::addItem(sked, 4, 5);
        QCOMPARE(a->Level(), 0);
        QCOMPARE(b->Level(), 1);
        QCOMPARE(c->Level(), 1);
        // A chain: each one nested in the previous one.
        TSkedItem* d = skedtest::addItem(sked, 10, 20);
        TSkedItem* e = skedtest::addItem(sked, 11, 19);
        TSkedItem* f = skedtest::addItem(sked, 12, 13);
        QCOMPARE(d->Level(), 0);
        QCOMPARE(e->Level(), 1);
        QCOMPARE(f->Level(), 2);
    }

    void deleteAndClearAdjustCursor()
    {
        TSked sked;
        skedtest::fillLines(sked.Lines());
        skedtest::addItem(sked, 2, 3);
        skedtest::addItem(sked, 5, 5);
        sked.show();
        sked.SelectRow(5, false);
        QVERIFY(sked.SelectedItem());
        sked.Items().Delete(1);
        QCOMPARE(sked.SelectedRow(), 0);
        QCOMPARE(sked.FocusRow(), 4);
        sked.Items().Clear();
        QCOMPARE(sked.Items().Count(), 0);
        QCOMPARE(sked.SelectedRow(), -1);
        QCOMPARE(sked.FocusRow(), -1);
    }

    void selectedFlagFollowsSelection()
    {
        TSked sked;
        skedtest::fillLines(sked.Lines());
        TSkedItem* a = skedtest::addItem(sked, 2, 3);
        TSkedItem* b = skedtest::addItem(sked, 6, 6);
        sked.show();
        int notified = 0;
        sked.OnSelectItem = [&](QObject*, TLineItem* line, TSkedItem* item) {
            ++notified;
            QCOMPARE(item, b);
            QCOMPARE(line->Caption(), QStringLiteral("3:00"));
        };
        b->setSelected(true);
        QCOMPARE(notified, 1);
        QCOMPARE(sked.SelectedItem(), b);
        QVERIFY(!a->Selected());
        sked.SelectItem(nullptr);
        QVERIFY(!b->Selected());
        QCOMPARE(sked.SelectedRow(), b->FirstRow());
    }
};

QTEST_MAIN(TestSkedModel)
#include "tst_skedmodel.moc"
