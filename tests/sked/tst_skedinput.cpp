// Keys, mouse, click-to-edit, the in-place editor, handle drags and drops of
// a day column, driven through real events.
#include "skedtest.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>
#include <QVBoxLayout>

using namespace nox;
using namespace nox::sked;

namespace
{

// A window with an editable column and a line edit to move the focus to.
struct Fixture {
    // What the events report; declared before the window, which raises
    // events (a last focus-out) while it is destroyed.
    int selects = 0;
    int edits = 0;
    QString editedText;
    QWidget window;
    TSked* sked;
    QLineEdit* other;

    Fixture()
    {
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        sked = new TSked(&window);
        sked->setBorderStyle(bsNone);
        sked->setReadOnly(false);
        skedtest::fillLines(sked->Lines());
        other = new QLineEdit(&window);
        layout->addWidget(sked, 1);
        layout->addWidget(other);
        sked->OnSelectItem = [this](QObject*, TLineItem*, TSkedItem*) { ++selects; };
        sked->OnEdited = [this](QObject*, TSkedItem*, QString& s) {
            ++edits;
            editedText = s;
        };
    }
    bool show()
    {
        if (!skedtest::showActive(window, QSize(260, 430))) {
            return false;
        }
        sked->setFocus();
        return sked->hasFocus();
    }
    QWidget* vp() const { return sked->viewport(); }
    void click(QPoint p, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(vp(), Qt::LeftButton, mods, p);
    }
    QPoint itemPoint(const TSkedItem* item) const { return item->BlockRect().center(); }
};

} // namespace

class TestSkedInput : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { skedtest::setUpFonts(); }

    void upAndDownSkipRowsOfTheSameBlock()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 10, 11, QStringLiteral("一\n二\n三"));
        QVERIFY(f.show());
        const int first = item->FirstRow();
        f.sked->SelectRow(first + 1, false);
        QTest::keyClick(f.sked, Qt::Key_Up);
        QCOMPARE(f.sked->FocusRow(), first - 1);
        QTest::keyClick(f.sked, Qt::Key_Down);
        QCOMPARE(f.sked->FocusRow(), first);
        QCOMPARE(f.sked->SelectedItem(), item);
        QTest::keyClick(f.sked, Qt::Key_Down);
        QCOMPARE(f.sked->FocusRow(), first + 3);
        QCOMPARE(f.selects, 3);
    }

    void pageKeysMoveByVisibleRows()
    {
        Fixture f;
        QVERIFY(f.show());
        QCOMPARE(f.sked->VisibleRows(), 24);
        f.sked->SelectRow(0, false);
        QTest::keyClick(f.sked, Qt::Key_PageDown);
        QCOMPARE(f.sked->FocusRow(), 23);
        QTest::keyClick(f.sked, Qt::Key_End);
        QCOMPARE(f.sked->FocusRow(), 47);
        QCOMPARE(f.sked->TopRow(), 47 - 24 + 1);
        const int selects = f.selects;
        QTest::keyClick(f.sked, Qt::Key_PageDown);
        QCOMPARE(f.selects, selects); // nothing at the last row
        QTest::keyClick(f.sked, Qt::Key_PageUp);
        QCOMPARE(f.sked->FocusRow(), 24);
        QTest::keyClick(f.sked, Qt::Key_Home);
        QCOMPARE(f.sked->FocusRow(), 0);
        QCOMPARE(f.sked->TopRow(), 0);
    }

    void keyDownHandlerCanSwallowKeys()
    {
        Fixture f;
        QVERIFY(f.show());
        f.sked->SelectRow(5, false);
        f.sked->OnKeyDown = [](QObject*, int& key, Qt::KeyboardModifiers) {
            if (key == Qt::Key_Down) {
                key = 0;
            }
        };
        QTest::keyClick(f.sked, Qt::Key_Down);
        QCOMPARE(f.sked->FocusRow(), 5);
        QTest::keyClick(f.sked, Qt::Key_Up);
        QCOMPARE(f.sked->FocusRow(), 4);
    }

    void spaceSelectsTheFocusRow()
    {
        Fixture f;
        QVERIFY(f.show());
        QCOMPARE(f.sked->FocusRow(), 0); // taken from TopRow with the focus
        QCOMPARE(f.sked->SelectedRow(), -1);
        QTest::keyClick(f.sked, Qt::Key_Space);
        QCOMPARE(f.sked->SelectedRow(), 0);
        QCOMPARE(f.selects, 1);
    }

    // Keys the column has no action for still bring the cursor row back into
    // view; Space does not.
    void inertKeysBringTheCursorBack()
    {
        Fixture f;
        QVERIFY(f.show());
        f.sked->SelectRow(2, false);
        for (int key : {int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Delete), int(Qt::Key_Left),
                        int(Qt::Key_Right)}) {
            f.sked->ScrollTo(20);
            QCOMPARE(f.sked->TopRow(), 20);
            QTest::keyClick(f.sked, Qt::Key(key));
            QCOMPARE(f.sked->TopRow(), 2);
            QCOMPARE(f.sked->FocusRow(), 2);
        }
        f.sked->ScrollTo(20);
        QTest::keyClick(f.sked, Qt::Key_Space);
        QCOMPARE(f.sked->TopRow(), 20);
    }

    void f2OpensEditorUnlessCtrlOrForbidden()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 6, 7, QStringLiteral("予定"));
        QVERIFY(f.show());
        item->setSelected(true);
        QTest::keyClick(f.sked, Qt::Key_F2, Qt::ControlModifier);
        QVERIFY(!f.sked->isEditing());
        bool allow = false;
        f.sked->OnEditing = [&](QObject*, TSkedItem*, bool& allowEdit) { allowEdit = allow; };
        f.sked->SelectRow(0, false);
        QVERIFY(!item->EditText());
        QCOMPARE(f.sked->SelectedRow(), 0); // nothing selected anew
        item->setSelected(true);
        QTest::keyClick(f.sked, Qt::Key_F2);
        QVERIFY(!f.sked->isEditing());
        allow = true;
        QTest::keyClick(f.sked, Qt::Key_F2);
        QVERIFY(f.sked->isEditing());
        QCOMPARE(f.sked->InplaceEdit()->toPlainText(), QStringLiteral("予定"));
        QVERIFY(f.sked->InplaceEdit()->hasFocus());
    }

    void f2OnItemOutOfViewScrollsThenEdits()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 40, 41, QStringLiteral("遠く"));
        QVERIFY(f.show());
        item->setSelected(true);
        QCOMPARE(f.sked->TopRow(), 0);
        QTest::keyClick(f.sked, Qt::Key_F2);
        QVERIFY(f.sked->TopRow() > 0);
        QVERIFY(f.sked->isEditing());
        QVERIFY(f.sked->viewport()->rect().contains(f.sked->InplaceEdit()->geometry().topLeft()));
    }

    void readOnlyNeverEdits()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 6, 7, QStringLiteral("予定"));
        f.sked->setReadOnly(true);
        QVERIFY(f.show());
        item->setSelected(true);
        QTest::keyClick(f.sked, Qt::Key_F2);
        QVERIFY(!f.sked->isEditing());
        QTest::mouseMove(f.vp(), item->TopGrip().center());
        QCOMPARE(f.sked->GripState(), sked::TGripState::None);
    }

    void secondClickOnSelectedItemEditsAfterDelay()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 6, 7, QStringLiteral("クリック"));
        QVERIFY(f.show());
        f.click(f.itemPoint(item));
        QCOMPARE(f.sked->SelectedItem(), item);
        QVERIFY(!f.sked->EditArmed()); // the first click only selects
        f.click(f.itemPoint(item));
        QVERIFY(f.sked->EditArmed());
        QTest::qWait(200);
        QVERIFY(!f.sked->isEditing());
        QTRY_VERIFY_WITH_TIMEOUT(f.sked->isEditing(), 2000);
    }

    void clickInRulerPartOfBlockOnlyKeepsSelection()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 6, 7, QStringLiteral("ルーラー"));
        QVERIFY(f.show());
        f.click(f.itemPoint(item));
        const QPoint ruler(5, item->BlockRect().center().y());
        f.click(ruler);
        QVERIFY(f.sked->EditArmed());
        QTest::qWait(700);
        QVERIFY(!f.sked->isEditing());
        QCOMPARE(f.sked->SelectedItem(), item);
    }

    void firstClickAfterRefocusOnlyFocuses()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 6, 7, QStringLiteral("ガード"));
        QVERIFY(f.show());
        f.click(f.itemPoint(item));
        f.other->setFocus();
        QVERIFY(!f.sked->hasFocus());
        f.click(f.itemPoint(item));
        QVERIFY(f.sked->hasFocus());
        QVERIFY(!f.sked->EditArmed());
        f.click(f.itemPoint(item));
        QVERIFY(f.sked->EditArmed());
    }

    void shiftClickOrOtherRowNeverArms()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 6, 7, QStringLiteral("シフト"));
        QVERIFY(f.show());
        f.click(f.itemPoint(item));
        f.click(f.itemPoint(item), Qt::ShiftModifier);
        QVERIFY(!f.sked->EditArmed());
        const int selects = f.selects;
        f.click(QPoint(100, f.sked->layout().view.top() - 1)); // above the rows
        QCOMPARE(f.selects, selects);
        QCOMPARE(f.sked->SelectedItem(), item);
    }

    void enterCommitsEscapeCancels()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 6, 7, QStringLiteral("old"));
        QVERIFY(f.show());
        QVERIFY(item->EditText());
        QTest::keyClicks(f.sked->InplaceEdit(), "new");
        QTest::keyClick(f.sked->InplaceEdit(), Qt::Key_Tab); // swallowed
        QTest::keyClick(f.sked->InplaceEdit(), Qt::Key_Return);
        QVERIFY(!f.sked->isEditing());
        QVERIFY(f.sked->hasFocus());
        QCOMPARE(f.edits, 1);
        QCOMPARE(f.editedText, QStringLiteral("new"));
        item = f.sked->SelectedItem();
        QCOMPARE(item->Text(), QStringLiteral("new"));

        QVERIFY(item->EditText());
        QTest::keyClicks(f.sked->InplaceEdit(), "zzz");
        QTest::keyClick(f.sked->InplaceEdit(), Qt::Key_Escape);
        QVERIFY(!f.sked->isEditing());
        QCOMPARE(f.edits, 1);
        QCOMPARE(item->Text(), QStringLiteral("new"));

        QVERIFY(item->EditText()); // unchanged text commits nothing
        QTest::keyClick(f.sked->InplaceEdit(), Qt::Key_Return);
        QCOMPARE(f.edits, 1);
    }

    void editedHandlerMayChangeText()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 6, 7, QStringLiteral("a"));
        f.sked->OnEdited = [](QObject*, TSkedItem*, QString& s) { s = s.toUpper(); };
        QVERIFY(f.show());
        QVERIFY(item->EditText());
        QTest::keyClicks(f.sked->InplaceEdit(), "memo");
        QTest::keyClick(f.sked->InplaceEdit(), Qt::Key_Enter);
        QCOMPARE(f.sked->Items().Items(0)->Text(), QStringLiteral("MEMO"));
    }

    void focusLossCommits()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 6, 7, QStringLiteral("x"));
        QVERIFY(f.show());
        QVERIFY(item->EditText());
        QTest::keyClicks(f.sked->InplaceEdit(), "typed");
        f.other->setFocus();
        QVERIFY(!f.sked->isEditing());
        QCOMPARE(f.edits, 1);
        QCOMPARE(f.sked->Items().Items(0)->Text(), QStringLiteral("typed"));
        QCOMPARE(f.sked->EditGuard(), sked::TEditGuard::Away); // the next click on the item only focuses
    }

    void enterConfirmingConversionDoesNotCommit()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 6, 7, QStringLiteral("x"));
        QVERIFY(f.show());
        QVERIFY(item->EditText());
        TSkedInplaceEdit* editor = f.sked->InplaceEdit();
        QInputMethodEvent composing(QStringLiteral("かいぎ"), {});
        QApplication::sendEvent(editor, &composing);
        QVERIFY(editor->isComposing());
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(f.sked->isEditing());
        QCOMPARE(f.edits, 0);
        QInputMethodEvent committed;
        committed.setCommitString(QStringLiteral("会議"));
        QApplication::sendEvent(editor, &committed);
        QVERIFY(!editor->isComposing());
        QVERIFY(f.sked->isEditing());
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(!f.sked->isEditing());
        QCOMPARE(f.edits, 1);
        QCOMPARE(f.editedText, QStringLiteral("会議"));
    }

    void commitReachesEditedItemAfterResort()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 10, 11, QStringLiteral("edited"));
        QVERIFY(f.show());
        QVERIFY(item->EditText());
        QTest::keyClicks(f.sked->InplaceEdit(), "kept");
        TSkedItem* earlier = skedtest::addItem(*f.sked, 2, 3, QStringLiteral("earlier")); // sorts first
        QCOMPARE(f.sked->Items().Items(0), earlier);
        f.sked->commitEdit();
        QCOMPARE(item->Text(), QStringLiteral("kept"));
        QCOMPARE(earlier->Text(), QStringLiteral("earlier"));
        QVERIFY(item->EditText());
        QTest::keyClicks(f.sked->InplaceEdit(), "lost");
        f.sked->Items().Delete(item->Index());
        QVERIFY(!f.sked->isEditing());
        QCOMPARE(earlier->Text(), QStringLiteral("earlier"));
    }

    // A handler may take the item away (a refill of the column does): the
    // column must not touch it afterwards.
    void handlersMayDeleteTheItem()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 6, 7, QStringLiteral("x"));
        TSkedItem* other = skedtest::addItem(*f.sked, 8, 9, QStringLiteral("y"));
        QVERIFY(f.show());
        f.sked->OnEdited = [&](QObject*, TSkedItem* edited, QString&) {
            f.sked->Items().Delete(edited->Index());
        };
        QVERIFY(item->EditText());
        QTest::keyClicks(f.sked->InplaceEdit(), "abc");
        QTest::keyClick(f.sked->InplaceEdit(), Qt::Key_Return);
        QVERIFY(!f.sked->isEditing());
        QCOMPARE(f.sked->Items().Count(), 1);
        QCOMPARE(other->Text(), QStringLiteral("y"));

        f.sked->OnEditing = [&](QObject*, TSkedItem* edited, bool&) {
            f.sked->Items().Delete(edited->Index());
        };
        QVERIFY(!other->EditText());
        QVERIFY(!f.sked->isEditing());
        QCOMPARE(f.sked->Items().Count(), 0);
    }

    void destroyingColumnWhileEditingIsSafe()
    {
        auto f = std::make_unique<Fixture>();
        TSkedItem* item = skedtest::addItem(*f->sked, 6, 7, QStringLiteral("x"));
        int edits = 0;
        f->sked->OnEdited = [&](QObject*, TSkedItem*, QString&) { ++edits; };
        QVERIFY(f->show());
        QVERIFY(item->EditText());
        QTest::keyClicks(f->sked->InplaceEdit(), "abc");
        delete f->sked;
        f.reset();
        QCOMPARE(edits, 0);
    }

    void editorGrowsWithText()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 6, 7, QStringLiteral("a"));
        QVERIFY(f.show());
        QVERIFY(item->EditText());
        TSkedInplaceEdit* editor = f.sked->InplaceEdit();
        const int before = editor->height();
        editor->selectAll();
        editor->insertPlainText(QString(60, QChar(0x6587)));
        QVERIFY(editor->height() >= before + 2 * f.sked->RowHeight());
        QVERIFY(editor->geometry().bottom() < f.sked->viewport()->height());
    }

    void endHandleDraggedAboveStartSwaps()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 18, 20, QStringLiteral("9:00-10:00"));
        QVERIFY(f.show());
        f.sked->ScrollTo(12);
        item->setSelected(true);
        int drops = 0;
        f.sked->OnLineDrop = [&](QObject*, TSkedItem* dropped) {
            ++drops;
            QCOMPARE(dropped, item);
        };
        const QPoint grip = item->BottomGrip().center();
        QTest::mouseMove(f.vp(), grip);
        QCOMPARE(f.sked->GripState(), sked::TGripState::Hover);
        QVERIFY(!f.sked->GripIsTop());
        QTest::mousePress(f.vp(), Qt::LeftButton, {}, grip);
        QCOMPARE(f.sked->GripState(), sked::TGripState::Pressed);
        const QPoint target = skedtest::rowPoint(*f.sked, f.sked->Lines().Items(16)->RowStarts.first());
        QTest::mouseMove(f.vp(), target);
        QCOMPARE(f.sked->GripState(), sked::TGripState::Moving);
        QCOMPARE(f.sked->Row(f.sked->DropRow()).Line, 16);
        QTest::mouseRelease(f.vp(), Qt::LeftButton, {}, target);
        QCOMPARE(item->StartLine(), 16);
        QCOMPARE(item->EndLine(), 18);
        QCOMPARE(drops, 1);
        QCOMPARE(f.sked->GripState(), sked::TGripState::None);
        QCOMPARE(f.sked->DropRow(), -1);
        QCOMPARE(f.sked->SelectedItem(), item);
    }

    void startHandleOnAnotherBlockTakesItsStartLine()
    {
        Fixture f;
        TSkedItem* other = skedtest::addItem(*f.sked, 10, 10, QStringLiteral("二行の\nブロック"));
        TSkedItem* item = skedtest::addItem(*f.sked, 14, 16, QStringLiteral("対象"));
        QVERIFY(f.show());
        item->setSelected(true);
        const QPoint grip = item->TopGrip().center();
        QTest::mouseMove(f.vp(), grip);
        QVERIFY(f.sked->GripIsTop());
        QTest::mousePress(f.vp(), Qt::LeftButton, {}, grip);
        const QPoint target = skedtest::rowPoint(*f.sked, other->FirstRow() + 1); // second row of the block
        QTest::mouseMove(f.vp(), target);
        QTest::mouseRelease(f.vp(), Qt::LeftButton, {}, target);
        QCOMPARE(item->StartLine(), 10);
        QCOMPARE(item->EndLine(), 16);
    }

    void startHandleBelowEndSwaps()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 4, 6, QStringLiteral("下へ"));
        QVERIFY(f.show());
        item->setSelected(true);
        const QPoint grip = item->TopGrip().center();
        QTest::mouseMove(f.vp(), grip);
        QTest::mousePress(f.vp(), Qt::LeftButton, {}, grip);
        const QPoint target = skedtest::rowPoint(*f.sked, f.sked->Lines().Items(9)->RowStarts.first());
        QTest::mouseMove(f.vp(), target);
        QTest::mouseRelease(f.vp(), Qt::LeftButton, {}, target);
        QCOMPARE(item->StartLine(), 6);
        QCOMPARE(item->EndLine(), 9);
    }

    void escapeCancelsHandleDrag()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 4, 6, QStringLiteral("取消"));
        QVERIFY(f.show());
        item->setSelected(true);
        const QPoint grip = item->BottomGrip().center();
        QTest::mouseMove(f.vp(), grip);
        QTest::mousePress(f.vp(), Qt::LeftButton, {}, grip);
        const QPoint target = skedtest::rowPoint(*f.sked, f.sked->Lines().Items(12)->RowStarts.first());
        QTest::mouseMove(f.vp(), target);
        QVERIFY(f.sked->DropRow() >= 0);
        QTest::keyClick(f.sked, Qt::Key_Escape);
        QCOMPARE(f.sked->GripState(), sked::TGripState::None);
        QCOMPARE(f.sked->DropRow(), -1);
        QTest::mouseRelease(f.vp(), Qt::LeftButton, {}, target);
        QCOMPARE(item->StartLine(), 4);
        QCOMPARE(item->EndLine(), 6);
    }

    void hoverLeavesGrip()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 4, 6, QStringLiteral("ホバー"));
        QVERIFY(f.show());
        item->setSelected(true);
        QTest::mouseMove(f.vp(), item->TopGrip().center());
        QCOMPARE(f.sked->GripState(), sked::TGripState::Hover);
        QCOMPARE(f.sked->viewport()->cursor().shape(), Qt::SizeVerCursor);
        QTest::mouseMove(f.vp(), item->TopGrip().bottomRight() + QPoint(20, 20));
        QCOMPARE(f.sked->GripState(), sked::TGripState::None);
        QCOMPARE(f.sked->viewport()->cursor().shape(), Qt::ArrowCursor);
    }

    void rightClickSelectsRow()
    {
        Fixture f;
        QVERIFY(f.show());
        QTest::mouseClick(f.vp(), Qt::RightButton, {}, skedtest::rowPoint(*f.sked, 7));
        QCOMPARE(f.sked->SelectedRow(), 7);
        QCOMPARE(f.selects, 1);
    }

    void dragImageIsTheItemBlock()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 4, 6, QStringLiteral("ドラッグ"));
        QVERIFY(f.show());
        item->setSelected(true);
        const QPoint at = item->BlockRect().topLeft() + QPoint(7, 5);
        QPoint hotSpot;
        const QPixmap image = f.sked->dragPixmap(at, &hotSpot);
        QCOMPARE(image.deviceIndependentSize().toSize(), item->BlockRect().size());
        QCOMPARE(hotSpot, QPoint(7, 5));
        QCOMPARE(image.toImage().pixelColor(0, 0).alpha(), 0); // background is transparent
    }

    void dropsAcceptOnlyDayViewItems()
    {
        Fixture f;
        TSkedItem* item = skedtest::addItem(*f.sked, 4, 6, QStringLiteral("移動"));
        QVERIFY(f.show());
        item->setSelected(true);
        item->ID = 7;
        f.sked->setDate(QDate(2026, 3, 11));
        QList<TSkedDrop> seen;
        QList<TSkedDrop> drops;
        f.sked->OnDragOver = [&](QObject*, const TSkedDrop& drop) {
            seen << drop;
            return true;
        };
        f.sked->OnDragDrop = [&](QObject*, const TSkedDrop& drop) { drops << drop; };
        const QPoint at = skedtest::rowPoint(*f.sked, 10);

        QMimeData foreign;
        foreign.setText(QStringLiteral("text"));
        QDragEnterEvent enterForeign(at, Qt::MoveAction, &foreign, Qt::LeftButton, {});
        QApplication::sendEvent(f.vp(), &enterForeign);
        QVERIFY(!enterForeign.isAccepted());
        QCOMPARE(f.sked->DropRow(), -1);

        std::unique_ptr<QMimeData> data(f.sked->createDragData());
        QCOMPARE(TCustomSked::draggedItem(data.get()), (TSkedDragItem{QDate(2026, 3, 11), 7}));
        QDragEnterEvent enter(at, Qt::MoveAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(f.vp(), &enter);
        QVERIFY(enter.isAccepted());
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen[0].item, (TSkedDragItem{QDate(2026, 3, 11), 7}));
        QCOMPARE(seen[0].to, QDate(2026, 3, 11));
        QCOMPARE(seen[0].line, f.sked->Row(10).Line);
        QCOMPARE(seen[0].state, dsDragEnter);
        QCOMPARE(f.sked->DropRow(), 10);
        QDropEvent drop(at, Qt::MoveAction, data.get(), Qt::LeftButton, {});
        QApplication::sendEvent(f.vp(), &drop);
        QCOMPARE(drops.size(), 1);
        QCOMPARE(drops[0].item, (TSkedDragItem{QDate(2026, 3, 11), 7}));
        QCOMPARE(drops[0].line, f.sked->Row(10).Line);
        QVERIFY(!drops[0].copy);
        QCOMPARE(f.sked->DropRow(), -1);
    }

    // The record names the schedule by its day and ID, never by an address:
    // it outlives its column, and names nothing without a day and an item,
    // or when another process made it.
    void dragRecordNamesDayAndIdOnly()
    {
        std::unique_ptr<QMimeData> data;
        {
            Fixture f;
            data.reset(f.sked->createDragData());
            QVERIFY(!TCustomSked::draggedItem(data.get())); // no day, no item
            f.sked->setDate(QDate(2026, 3, 11));
            TSkedItem* item = skedtest::addItem(*f.sked, 4, 6, QStringLiteral("移動"));
            item->ID = 9;
            QVERIFY(f.show());
            item->setSelected(true);
            QCOMPARE(f.sked->SelectedItem(), item);
            data.reset(f.sked->createDragData());
        }
        QCOMPARE(TCustomSked::draggedItem(data.get()), (TSkedDragItem{QDate(2026, 3, 11), 9}));
        const QByteArray pid = QByteArray::number(QCoreApplication::applicationPid());
        for (const QByteArray& bad : {QByteArray("1 20260311 9"), pid + " 2026031 9", pid + " 20260311 x",
                                      pid + " 20260311"}) {
            data->setData(QString::fromLatin1(skedItemMimeType), bad);
            QVERIFY2(!TCustomSked::draggedItem(data.get()), bad.constData());
        }
    }
};

QTEST_MAIN(TestSkedInput)
#include "tst_skedinput.moc"
