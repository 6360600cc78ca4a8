// Mouse, keyboard, sizing, drag and drop and in-place editing of the month
// view, driven by QTest events.
#include "monthview/monthviewlayout_p.h"
#include "monthviewtestsupport.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QTimer>

using namespace mvtest;

namespace
{

struct Fixture {
    // Declared before the window: closing it on destruction takes the focus
    // from an open editor, which reports the edit.
    QStringList edited;
    QWidget window;
    TMonthView* view;
    QLineEdit* other; // somewhere else for the focus to go
    TMonthViewItem* a;
    TMonthViewItem* b;

    Fixture()
    {
        window.resize(760, 600);
        view = new TMonthView(&window);
        view->SetBorderStyle(bsSingle);
        view->setGeometry(0, 0, 700, 520);
        view->SetToday(QDate(2026, 3, 10));
        view->SetCurrentDate(QDate(2026, 3, 3));
        view->SetReadOnly(false);
        other = new QLineEdit(&window);
        other->setGeometry(0, 540, 200, 24);
        a = addItem(*view, QDate(2026, 3, 4), QTime(9, 0), QTime(10, 0), QStringLiteral("会議"));
        b = addItem(*view, QDate(2026, 3, 4), QTime(11, 0), QTime(12, 0), QStringLiteral("昼食"));
        view->OnEdited = [this](QObject*, const QDate&, qint32, const QString& s) {
            edited << s;
            return s;
        };
        window.show();
        if (!QTest::qWaitForWindowExposed(&window)) {
            qWarning("window not exposed");
        }
        QApplication::setActiveWindow(&window);
        view->setFocus();
    }
    void click(const QPoint& client, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(view, button, Qt::NoModifier, w(*view, client));
    }
    QPoint on(TMonthViewItem* item) { return barPoint(*view, view->Items()->IndexOf(item)); }
    bool editing() const { return view->InplaceEdit()->isVisible(); }
    void openEditor(TMonthViewItem* item)
    {
        click(on(item));
        click(on(item));
        QTRY_VERIFY(editing());
    }
};

void typeText(QWidget* target, const QString& text)
{
    QInputMethodEvent e;
    e.setCommitString(text);
    QApplication::sendEvent(target, &e);
}

} // namespace

class TestMonthViewInteraction : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { setUpFonts(); }
    void secondClickEditsAfterDelay();
    void doubleClickDoesNotEdit();
    void clickThatRegainsFocusDoesNotEdit();
    void readOnlyAndRefusal();
    void enterAcceptsEscapeCancels();
    void noLineBreaksAndTabIgnored();
    void enterConfirmingConversionDoesNotAccept();
    void editingHandlerMayDeleteTheItem();
    void destroyingViewWhileEditingIsSafe();
    void editorGrowsWithText();
    void focusLossAndResizeAccept();
    void expandClickKeepsSelection();
    void rightClickSelects();
    void arrowKeys_data();
    void arrowKeys();
    void arrowKeysCrossMonths();
    void keyDownHandlerCanSwallowKey();
    void columnBorderPushesAlong();
    void cursorsFollowSizingZones();
    void zoomAndDoubleClickRestore();
    void dropTargetOnlyForOwnDrags();
    void dragImageAndPayload();
    void dragStartsPastThreshold();
};

void TestMonthViewInteraction::secondClickEditsAfterDelay()
{
    Fixture f;
    f.click(f.on(f.a));
    QCOMPARE(f.view->SelectedItem(), f.a);
    QCOMPARE(f.view->SelectedCell(), f.view->CellOfDate(QDate(2026, 3, 4)));
    QTest::qWait(650);
    QVERIFY(!f.editing()); // the first click only selects
    f.click(f.on(f.a));
    QTest::qWait(200);
    QVERIFY(!f.editing()); // not before 500 ms
    QTRY_VERIFY_WITH_TIMEOUT(f.editing(), 1000);
    QCOMPARE(f.view->InplaceEdit()->toPlainText(), QStringLiteral("会議"));
    QCOMPARE(f.view->InplaceEdit()->textCursor().selectedText(), QStringLiteral("会議"));
    QCOMPARE(f.view->InplaceEdit()->geometry().topLeft(), w(*f.view, f.a->ItemRect().topLeft()));
    QVERIFY(f.view->InplaceEdit()->hasFocus());
}

void TestMonthViewInteraction::doubleClickDoesNotEdit()
{
    Fixture f;
    int doubleClicks = 0;
    f.view->OnDblClick = [&](QObject*) { ++doubleClicks; };
    f.click(f.on(f.a));
    QTest::qWait(600);
    doubleClick(*f.view, f.on(f.a)); // its first click hits the selected entry
    QCOMPARE(doubleClicks, 1);
    QTest::qWait(700);
    QVERIFY(!f.editing());
}

void TestMonthViewInteraction::clickThatRegainsFocusDoesNotEdit()
{
    Fixture f;
    f.click(f.on(f.a));
    f.other->setFocus();
    QTRY_VERIFY(f.other->hasFocus());
    f.click(f.on(f.a)); // brings the focus back only
    QVERIFY(f.view->hasFocus());
    QTest::qWait(700);
    QVERIFY(!f.editing());
    f.click(f.on(f.a));
    QTRY_VERIFY_WITH_TIMEOUT(f.editing(), 1000);
}

void TestMonthViewInteraction::readOnlyAndRefusal()
{
    Fixture f;
    f.view->SetReadOnly(true);
    f.click(f.on(f.a));
    f.click(f.on(f.a));
    QTest::qWait(700);
    QVERIFY(!f.editing());
    QVERIFY(!f.view->BeginEdit(f.a));
    // switching to read-only cancels an open edit
    f.view->SetReadOnly(false);
    QVERIFY(f.view->BeginEdit(f.a));
    typeText(f.view->InplaceEdit(), QStringLiteral("x"));
    f.view->SetReadOnly(true);
    QVERIFY(!f.editing());
    QVERIFY(f.edited.isEmpty());
    QCOMPARE(f.a->Text(), QStringLiteral("会議"));
    // the owner may refuse
    f.view->SetReadOnly(false);
    f.view->OnEditing = [&](QObject*, const QDate& day, qint32 id) { return day != f.b->Day() || id != f.b->ID(); };
    QVERIFY(!f.view->BeginEdit(f.b));
    QVERIFY(f.view->BeginEdit(f.a));
}

void TestMonthViewInteraction::enterAcceptsEscapeCancels()
{
    Fixture f;
    QList<TMonthViewDragItem> editedItems;
    f.view->OnEdited = [&](QObject*, const QDate& day, qint32 id, const QString& s) {
        editedItems << TMonthViewDragItem{day, id};
        f.edited << s;
        return s + QStringLiteral("!");
    };
    f.openEditor(f.a);
    typeText(f.view->InplaceEdit(), QStringLiteral("打ち合わせ"));
    QTest::keyClick(f.view->InplaceEdit(), Qt::Key_Return);
    QVERIFY(!f.editing());
    QCOMPARE(f.edited, QStringList{QStringLiteral("打ち合わせ")});
    QCOMPARE(editedItems, (QList<TMonthViewDragItem>{{f.a->Day(), f.a->ID()}}));
    QCOMPARE(f.a->Text(), QStringLiteral("打ち合わせ!"));
    QVERIFY(f.view->hasFocus());
    // an unmodified edit reports nothing
    f.view->BeginEdit(f.b);
    QTest::keyClick(f.view->InplaceEdit(), Qt::Key_Enter);
    QCOMPARE(f.edited.size(), 1);
    // Escape leaves the text and reports nothing
    f.view->BeginEdit(f.b);
    typeText(f.view->InplaceEdit(), QStringLiteral("別の文字"));
    QTest::keyClick(f.view->InplaceEdit(), Qt::Key_Escape);
    QVERIFY(!f.editing() && f.view->hasFocus());
    QCOMPARE(f.edited.size(), 1);
    QCOMPARE(f.b->Text(), QStringLiteral("昼食"));
}

void TestMonthViewInteraction::noLineBreaksAndTabIgnored()
{
    Fixture f;
    f.openEditor(f.a);
    auto* ed = f.view->InplaceEdit();
    QTest::keyClick(ed, Qt::Key_End);
    QTest::keyClick(ed, Qt::Key_Tab);
    QVERIFY(f.editing());
    QVERIFY(ed->hasFocus());
    QTest::keyClick(ed, Qt::Key_Return, Qt::ShiftModifier); // accepts, inserts nothing
    QCOMPARE(f.a->Text(), QStringLiteral("会議"));
    QVERIFY(f.view->BeginEdit(f.a));
    QTest::keyClick(ed, Qt::Key_End);
    // paste through the editor's own mime path
    auto* pasted = new QMimeData;
    pasted->setText(QStringLiteral("一行目\r\n二行目\n三"));
    QApplication::clipboard()->setMimeData(pasted);
    ed->paste();
    QVERIFY(!ed->toPlainText().contains(QLatin1Char('\n')));
    QCOMPARE(ed->toPlainText(), QStringLiteral("会議一行目 二行目 三"));
    QCOMPARE(ed->document()->blockCount(), 1);
}

// A handler may take the item away (a refill of the month does); the view
// must not touch it afterwards.
void TestMonthViewInteraction::editingHandlerMayDeleteTheItem()
{
    Fixture f;
    f.view->OnEditing = [&](QObject*, const QDate&, qint32 id) {
        f.view->Items()->Delete(f.view->Items()->IndexOf(id == f.a->ID() ? f.a : f.b));
        return true;
    };
    QVERIFY(!f.view->BeginEdit(f.a));
    QVERIFY(!f.editing());
    QCOMPARE(f.view->Items()->Count(), 1);
    QCOMPARE(f.view->Items()->Item(0), f.b);
}

// A top-level view closes its window on the way out, which takes the focus
// from an open editor; the editor must not report to the half-destroyed view.
void TestMonthViewInteraction::destroyingViewWhileEditingIsSafe()
{
    auto view = std::make_unique<TMonthView>();
    view->resize(700, 520);
    view->SetToday(QDate(2026, 3, 10));
    view->SetCurrentDate(QDate(2026, 3, 3));
    view->SetReadOnly(false);
    TMonthViewItem* item =
        addItem(*view, QDate(2026, 3, 4), QTime(9, 0), QTime(10, 0), QStringLiteral("会議"));
    int edits = 0;
    view->OnEdited = [&](QObject*, const QDate&, qint32, const QString& s) {
        ++edits;
        return s;
    };
    view->show();
    QVERIFY(QTest::qWaitForWindowExposed(view.get()));
    QApplication::setActiveWindow(view.get());
    QVERIFY(view->BeginEdit(item));
    typeText(view->InplaceEdit(), QStringLiteral("室"));
    QVERIFY(view->InplaceEdit()->hasFocus());
    view.reset();
    QCOMPARE(edits, 0);
}

void TestMonthViewInteraction::enterConfirmingConversionDoesNotAccept()
{
    Fixture f;
    f.openEditor(f.a);
    auto* ed = f.view->InplaceEdit();
    QInputMethodEvent compose(QStringLiteral("かいぎ"), {});
    QApplication::sendEvent(ed, &compose);
    QVERIFY(ed->IsComposing());
    QTest::keyClick(ed, Qt::Key_Return); // reaches us while composing
    QVERIFY(f.editing());
    QInputMethodEvent commit;
    commit.setCommitString(QStringLiteral("会議室"));
    QApplication::sendEvent(ed, &commit);
    QTest::keyClick(ed, Qt::Key_Return); // the same keystroke, right after the commit
    QVERIFY(f.editing());
    QVERIFY(f.edited.isEmpty());
    QTest::qWait(120);
    QTest::keyClick(ed, Qt::Key_Return); // a later Enter accepts
    QVERIFY(!f.editing());
    QCOMPARE(f.edited, QStringList{QStringLiteral("会議室")});
}

void TestMonthViewInteraction::editorGrowsWithText()
{
    Fixture f;
    f.openEditor(f.a);
    auto* ed = f.view->InplaceEdit();
    const int least = f.view->LineHeight() + 5;
    QVERIFY(ed->height() >= least);
    const int before = ed->height();
    typeText(ed, QStringLiteral("とても長い予定の名前を入力すると幅に収まらずに折り返される"));
    QVERIFY(ed->height() > before);
    QVERIFY(ed->geometry().bottom() < f.view->ClientOrigin().y() + f.view->ClientSize().height());
    QTest::keyClick(ed, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(ed, Qt::Key_Delete);
    QCOMPARE(ed->height(), least);
}

void TestMonthViewInteraction::focusLossAndResizeAccept()
{
    Fixture f;
    f.openEditor(f.a);
    typeText(f.view->InplaceEdit(), QStringLiteral("A"));
    f.other->setFocus();
    QTRY_VERIFY(!f.editing());
    QCOMPARE(f.a->Text(), QStringLiteral("A"));
    f.view->setFocus();
    QVERIFY(f.view->BeginEdit(f.b));
    typeText(f.view->InplaceEdit(), QStringLiteral("B"));
    f.view->resize(680, 500);
    QVERIFY(!f.editing());
    QCOMPARE(f.b->Text(), QStringLiteral("B"));
    QCOMPARE(f.edited, (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
}

void TestMonthViewInteraction::expandClickKeepsSelection()
{
    Fixture f;
    f.view->resize(700, 300); // rows too low for two bars
    for (int i = 0; i < 3; ++i) {
        addItem(*f.view, QDate(2026, 3, 4), QTime(13 + i, 0), QTime(14 + i, 0), QStringLiteral("more"));
    }
    const int cell = f.view->CellOfDate(QDate(2026, 3, 4));
    const QRect e = f.view->ExpandRect(cell);
    QVERIFY(e.isValid());
    f.view->SelectItem(f.b);
    QDate expanded;
    int selections = 0;
    f.view->OnExpandClick = [&](QObject*, const QDate& day) { expanded = day; };
    f.view->OnSelectItem = [&](QObject*, const QDate&, std::optional<qint32>) { ++selections; };
    f.click(e.center() + QPoint(0, -1));
    QCOMPARE(expanded, QDate(2026, 3, 4));
    QCOMPARE(selections, 0);
    QCOMPARE(f.view->SelectedItem(), f.b);
    QCOMPARE(f.view->SelectedCell(), cell);
}

void TestMonthViewInteraction::rightClickSelects()
{
    Fixture f;
    f.click(f.on(f.b), Qt::RightButton);
    QCOMPARE(f.view->SelectedItem(), f.b);
    const QPoint empty = f.view->CellRect(20).center();
    f.click(empty, Qt::RightButton);
    QCOMPARE(f.view->SelectedCell(), 20);
    QVERIFY(f.view->SelectedItem() == nullptr);
    QTest::qWait(600);
    QVERIFY(!f.editing());
}

void TestMonthViewInteraction::arrowKeys_data()
{
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("expected");
    QTest::newRow("left from none") << -1 << int(Qt::Key_Left) << 0;
    QTest::newRow("left at 0 stays") << 0 << int(Qt::Key_Left) << 0;
    QTest::newRow("left") << 9 << int(Qt::Key_Left) << 8;
    QTest::newRow("right from none") << -1 << int(Qt::Key_Right) << 0;
    QTest::newRow("right") << 9 << int(Qt::Key_Right) << 10;
    QTest::newRow("right at 41 stays") << 41 << int(Qt::Key_Right) << 41;
    QTest::newRow("up from none") << -1 << int(Qt::Key_Up) << 0;
    QTest::newRow("up") << 9 << int(Qt::Key_Up) << 2;
    QTest::newRow("down from none") << -1 << int(Qt::Key_Down) << 0;
    QTest::newRow("down") << 30 << int(Qt::Key_Down) << 37;
}

void TestMonthViewInteraction::arrowKeys()
{
    QFETCH(int, start);
    QFETCH(int, key);
    QFETCH(int, expected);
    Fixture f;
    f.view->SelectItem(f.a);
    f.view->SelectCell(start);
    QTest::keyClick(f.view, Qt::Key(key));
    QCOMPARE(f.view->SelectedCell(), expected);
    QVERIFY(f.view->SelectedItem() == nullptr); // every arrow clears the item
    QCOMPARE(f.view->CurrentDate(), QDate(2026, 3, 3));
}

void TestMonthViewInteraction::arrowKeysCrossMonths()
{
    Fixture f;
    int monthChanges = 0;
    int selections = 0;
    f.view->OnChangeMonth = [&](QObject*) { ++monthChanges; };
    f.view->SelectCell(38); // a Wednesday in the last row
    f.view->OnSelectItem = [&](QObject*, const QDate&, std::optional<qint32>) { ++selections; };
    QTest::keyClick(f.view, Qt::Key_Down);
    QCOMPARE(f.view->SelectedCell(), 3);
    QCOMPARE(f.view->CurrentDate().month(), 4);
    QCOMPARE(monthChanges, 1);
    QCOMPARE(selections, 0);
    QCOMPARE(f.view->SelectedDate().dayOfWeek(), int(Qt::Wednesday)); // the same weekday
    QTest::keyClick(f.view, Qt::Key_Up);
    QCOMPARE(f.view->SelectedCell(), 38);
    QCOMPARE(f.view->CurrentDate().month(), 3);
    QCOMPARE(monthChanges, 2);
    QCOMPARE(selections, 0);
}

void TestMonthViewInteraction::keyDownHandlerCanSwallowKey()
{
    Fixture f;
    f.view->SelectCell(9);
    QList<int> keys;
    f.view->OnKeyDown = [&](QObject*, int key, Qt::KeyboardModifiers) {
        keys << key;
        return key == Qt::Key_Right;
    };
    QTest::keyClick(f.view, Qt::Key_Right);
    QCOMPARE(f.view->SelectedCell(), 9);
    QTest::keyClick(f.view, Qt::Key_Tab); // wanted by the control: no focus move
    QVERIFY(f.view->hasFocus());
    QCOMPARE(keys, (QList<int>{Qt::Key_Right, Qt::Key_Tab}));
}

void TestMonthViewInteraction::columnBorderPushesAlong()
{
    Fixture f;
    f.view->SetColSizing(true);
    const Grid g = f.view->CellGrid();
    const QPoint border(g.x[2], 200);
    hover(*f.view, border);
    QCOMPARE(f.view->SizingState(), TSizingState::HoverColumn);
    QCOMPARE(f.view->SizingColumn(), 2);
    QTest::mousePress(f.view, Qt::LeftButton, Qt::NoModifier, w(*f.view, border));
    QCOMPARE(f.view->SizingState(), TSizingState::PressedColumn);
    QTest::mouseMove(f.view, w(*f.view, QPoint(g.x[4] + 30, 200)));
    QCOMPARE(f.view->SizingState(), TSizingState::MovingColumn);
    QTest::mouseRelease(f.view, Qt::LeftButton, Qt::NoModifier, w(*f.view, QPoint(g.x[4] + 30, 200)));
    QCOMPARE(f.view->SizingState(), TSizingState::None);
    const QList<int> widths = f.view->ColRates();
    QCOMPARE(widths.at(2), 7);
    QCOMPARE(widths.at(3), 7);
    for (int width : widths) {
        QVERIFY(width >= 7);
    }
    QCOMPARE(f.view->ColRate(), QStringLiteral("2,3,3,3,3,3,2")); // unchanged until stored
    const Grid moved = f.view->CellGrid();
    QVERIFY(qAbs(moved.x[2] - (g.x[4] + 30)) <= 1);
    f.view->StoreColRate();
    QCOMPARE(f.view->ColRate(), rateText(widths));
    // dragging far right leaves every following column 7 wide
    hover(*f.view, QPoint(moved.x[1], 200));
    QTest::mousePress(f.view, Qt::LeftButton, Qt::NoModifier, w(*f.view, QPoint(moved.x[1], 200)));
    QTest::mouseMove(f.view, w(*f.view, QPoint(690, 200)));
    QTest::mouseRelease(f.view, Qt::LeftButton, Qt::NoModifier, w(*f.view, QPoint(690, 200)));
    const QList<int> right = f.view->ColRates();
    QCOMPARE(right.mid(1), (QList<int>{7, 7, 7, 7, 7, 7}));
    // a press and release without movement changes nothing
    const QList<int> before = f.view->ColRates();
    const QPoint b3(f.view->CellGrid().x[3], 200);
    hover(*f.view, b3);
    QTest::mouseClick(f.view, Qt::LeftButton, Qt::NoModifier, w(*f.view, b3));
    QCOMPARE(f.view->ColRates(), before);
}

void TestMonthViewInteraction::cursorsFollowSizingZones()
{
    Fixture f;
    f.view->SetColSizing(true);
    f.view->SetRowSizing(true);
    const Grid g = f.view->CellGrid();
    struct Case {
        QPoint p;
        TSizingState state;
        Qt::CursorShape shape;
    };
    const QList<Case> cases{{QPoint(g.x[3], 200), TSizingState::HoverColumn, Qt::SplitHCursor},
                            {QPoint(150, g.y[2]), TSizingState::HoverRow, Qt::SplitVCursor},
                            {QPoint(g.x[3], g.y[2]), TSizingState::HoverCrossing, Qt::SizeAllCursor},
                            {QPoint(250, 3), TSizingState::ZoomColumn, Qt::SizeHorCursor},
                            {QPoint(2, 250), TSizingState::ZoomRow, Qt::SizeVerCursor},
                            {QPoint(250, 250), TSizingState::None, Qt::ArrowCursor},
                            {QPoint(250, 8), TSizingState::None, Qt::ArrowCursor}};
    for (const Case& c : cases) {
        hover(*f.view, c.p);
        QCOMPARE(f.view->SizingState(), c.state);
        QCOMPARE(f.view->cursor().shape(), c.shape);
    }
    f.view->SetColSizing(false);
    hover(*f.view, QPoint(g.x[3], 200));
    QCOMPARE(f.view->SizingState(), TSizingState::None);
}

void TestMonthViewInteraction::zoomAndDoubleClickRestore()
{
    Fixture f;
    f.view->SetColSizing(true);
    f.view->SetRowSizing(true);
    const int width = f.view->ClientSize().width();
    const Grid g = f.view->CellGrid();
    const QPoint top((g.x[2] + g.x[3]) / 2, 7); // top 8 pixels above column 3
    hover(*f.view, top);
    QCOMPARE(f.view->SizingState(), TSizingState::ZoomColumn);
    f.click(top);
    const Grid zoomed = f.view->CellGrid();
    QCOMPARE(zoomed.x[3] - zoomed.x[2], width - 42);
    for (int i : {1, 3, 4, 5, 6}) {
        QVERIFY(qAbs(zoomed.x[i + 1] - zoomed.x[i] - 7) <= 1);
    }
    // row zoom from the left edge
    const QPoint left(width - 2, (g.y[4] + g.y[5]) / 2);
    hover(*f.view, left);
    QCOMPARE(f.view->SizingState(), TSizingState::ZoomRow);
    QCOMPARE(f.view->SizingRow(), 5);
    f.click(left);
    const Grid rowZoom = f.view->CellGrid();
    QVERIFY(rowZoom.y[5] - rowZoom.y[4] > 300);
    // a double click on a column border brings the stored column rates back
    const QPoint border(zoomed.x[2], rowZoom.y[5] + 30);
    hover(*f.view, border);
    QCOMPARE(f.view->SizingState(), TSizingState::HoverColumn);
    doubleClick(*f.view, border);
    QCOMPARE(f.view->ColRates(), (QList<int>{2, 3, 3, 3, 3, 3, 2}));
    QVERIFY(f.view->RowRates() != QList<int>(6, 1));
    // and on a crossing both sets
    const Grid now = f.view->CellGrid();
    const QPoint crossing(now.x[2], now.y[5]);
    hover(*f.view, crossing);
    QCOMPARE(f.view->SizingState(), TSizingState::HoverCrossing);
    doubleClick(*f.view, crossing);
    QCOMPARE(f.view->RowRates(), QList<int>(6, 1));
}

void TestMonthViewInteraction::dropTargetOnlyForOwnDrags()
{
    Fixture f;
    QList<QDate> asked;
    std::optional<TMonthViewDrop> dropped;
    const QDate refused = f.view->CellDate(20);
    QList<TMonthViewDragItem> askedItems;
    f.view->OnDragOver = [&](QObject* sender, const TMonthViewDrop& drop) {
        askedItems << (sender == f.view ? drop.item : TMonthViewDragItem{});
        asked << drop.to;
        return drop.to != refused; // the owner refuses cell 20
    };
    f.view->OnDragDrop = [&](QObject*, const TMonthViewDrop& drop) { dropped = drop; };
    auto send = [&](QEvent::Type type, const QMimeData* mime, const QPoint& client) {
        const QPointF p = w(*f.view, client);
        if (type == QEvent::DragEnter) {
            QDragEnterEvent e(p.toPoint(), Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(f.view, &e);
            return e.isAccepted();
        }
        if (type == QEvent::DragMove) {
            QDragMoveEvent e(p.toPoint(), Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(f.view, &e);
            return e.isAccepted();
        }
        QDropEvent e(p, Qt::MoveAction, mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f.view, &e);
        return e.isAccepted();
    };
    QMimeData own;
    own.setData(monthViewItemMimeType(), f.view->DragPayload(f.a));
    QMimeData foreign;
    foreign.setData(monthViewItemMimeType(), QByteArray("1/deadbeef/3")); // another process
    QMimeData text;
    text.setText(QStringLiteral("会議"));
    const QPoint c9 = f.view->CellRect(9).center();
    const QPoint c20 = f.view->CellRect(20).center();

    QVERIFY(!send(QEvent::DragEnter, &text, c9));
    QVERIFY(!send(QEvent::DragEnter, &foreign, c9));
    QVERIFY(!send(QEvent::DragMove, &foreign, c9));
    QCOMPARE(f.view->DropTargetCell(), -1);
    QVERIFY(asked.isEmpty());

    QVERIFY(send(QEvent::DragEnter, &own, c9));
    QVERIFY(send(QEvent::DragMove, &own, c9));
    QCOMPARE(f.view->DropTargetCell(), 9);
    QCOMPARE(asked.last(), f.view->CellDate(9));
    QCOMPARE(askedItems.last(), (TMonthViewDragItem{f.a->Day(), f.a->ID()}));
    QVERIFY(!f.view->ComputedLayout().cells[9].focusRect.isNull()); // painted like the selected cell
    QVERIFY(!send(QEvent::DragMove, &own, c20));
    QCOMPARE(f.view->DropTargetCell(), -1);
    QVERIFY(send(QEvent::DragMove, &own, c9));
    QDragLeaveEvent leave;
    QApplication::sendEvent(f.view, &leave);
    QCOMPARE(f.view->DropTargetCell(), -1);

    QVERIFY(send(QEvent::DragEnter, &own, c9));
    QVERIFY(send(QEvent::DragMove, &own, c9));
    QVERIFY(send(QEvent::Drop, &own, c9));
    QVERIFY(dropped);
    QCOMPARE(dropped->item, (TMonthViewDragItem{QDate(2026, 3, 4), f.a->ID()}));
    QCOMPARE(dropped->to, f.view->CellDate(9));
    QVERIFY(!dropped->copy);
    // Ctrl held at the drop asks for a copy
    QDragEnterEvent copyEnter(w(*f.view, c9), Qt::CopyAction, &own, Qt::LeftButton, Qt::ControlModifier);
    QApplication::sendEvent(f.view, &copyEnter);
    QDragMoveEvent copyMove(w(*f.view, c9), Qt::CopyAction, &own, Qt::LeftButton, Qt::ControlModifier);
    QApplication::sendEvent(f.view, &copyMove);
    QDropEvent copyDrop(w(*f.view, c9), Qt::CopyAction, &own, Qt::LeftButton, Qt::ControlModifier);
    QApplication::sendEvent(f.view, &copyDrop);
    QVERIFY(copyDrop.isAccepted());
    QVERIFY(dropped->copy);
    QCOMPARE(f.view->DropTargetCell(), -1);

    // without an OnDragOver handler nothing is accepted
    f.view->OnDragOver = nullptr;
    QVERIFY(!send(QEvent::DragMove, &own, c9));
}

void TestMonthViewInteraction::dragImageAndPayload()
{
    Fixture f;
    f.view->SelectItem(f.a);
    const QRect r = f.a->ItemRect();
    for (qreal ratio : {1.0, 2.0}) {
        const QPixmap pm = f.view->BarImage(f.a, ratio);
        QCOMPARE(pm.deviceIndependentSize().toSize(), QSize(r.width(), f.view->LineHeight() + 4));
        const QImage image = pm.toImage();
        // the bar's own colour is transparent; its frame is drawn
        QCOMPARE(image.pixelColor(QPoint(r.width() / 2, 3) * ratio).alpha(), 0);
        QCOMPARE(image.pixelColor(QPoint(0, 5) * ratio), nox::toQColor(f.view->View()->ItemFrameColor()));
    }
    // The payload names the entry by its day and ID, for this process only.
    QMimeData mime;
    mime.setData(monthViewItemMimeType(), f.view->DragPayload(f.b));
    QCOMPARE(TCustomMonthView::DraggedItem(&mime), (TMonthViewDragItem{QDate(2026, 3, 4), f.b->ID()}));
    const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid());
    for (const QByteArray& bad : {QByteArray("1/20260304/2"), pid + "/2026x304/2", pid + "/20260304/",
                                  pid + "/20260304", f.view->DragPayload(nullptr)}) {
        mime.setData(monthViewItemMimeType(), bad);
        QVERIFY2(!TCustomMonthView::DraggedItem(&mime), bad.constData());
    }
    QMimeData text;
    text.setText(QStringLiteral("20260304"));
    QVERIFY(!TCustomMonthView::DraggedItem(&text));
}

void TestMonthViewInteraction::dragStartsPastThreshold()
{
    Fixture f;
    f.view->SetDragMode(dmAutomatic);
    int ended = 0;
    f.view->OnEndDrag = [&](QObject* sender, QObject*, int, int) {
        QCOMPARE(sender, f.view);
        ++ended;
    };
    const QPoint start = f.on(f.a);
    QTest::mousePress(f.view, Qt::LeftButton, Qt::NoModifier, w(*f.view, start));
    QTest::mouseMove(f.view, w(*f.view, start + QPoint(2, 2))); // within the threshold
    QCOMPARE(ended, 0);
    // The drag runs its own loop; a release ends it.
    QTimer::singleShot(
        50, [&] { QTest::mouseRelease(f.view, Qt::LeftButton, Qt::NoModifier, w(*f.view, start)); });
    QTest::mouseMove(f.view, w(*f.view, start + QPoint(0, 40)));
    QCOMPARE(ended, 1);
    QTest::qWait(600);
    QVERIFY(!f.editing());
}

QTEST_MAIN(TestMonthViewInteraction)
#include "tst_monthviewinteraction.moc"
