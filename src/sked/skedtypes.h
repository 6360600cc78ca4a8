#pragma once
// Enumerations, row record and event types shared by the day schedule view.
//
// Events follow the program-wide scheme: one public std::function member per
// event, named after the event (OnSelectItem, OnSkedDblClick, ...). The first
// parameter is the raising object; "var" parameters are non-const references
// whose value goes back to the raiser. An event is raised only when set.
#include <QDate>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QtGlobal>

#include "widgets/viewlook.h"

#include <functional>

class QObject;
class QMimeData;
class QChar;

namespace nox::sked
{

class TLineItem;
class TSkedItem;
class TSked;

// Edge drawn along a bar: none, a one-pixel line, or a two-pixel 3-D edge.
enum TEdgeStyle { sesNone, sesLine, sesRaise, sesLower };
// Focus row marking: the platform's dotted rectangle or a solid frame.
enum TFocusRectStyle { sfrDotLine, sfrLine };

// Frame options applied by the multi-day control to its columns.
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };
enum TBevelEdge { beLeft = 1, beTop = 2, beRight = 4, beBottom = 8 };
using TBevelEdges = int;
constexpr TBevelEdges beAllEdges = beLeft | beTop | beRight | beBottom;
// TAlignment, TTextLayout, TBorderStyle and TDragMode: widgets/viewlook.h.
// dmAutomatic: a press on a selected item followed by a move beyond the drag
// threshold starts a drag of that item.

// The drag of the selected item's start or end handle.
enum class TGripState {
    None = 0,    // no handle in play
    Hover = 1,   // the mouse is over a handle
    Pressed = 2, // the left button went down on it
    Moving = 3,  // it is being moved over rows (a drop row is marked)
};

// Keeps the click that brings the focus back to a column from starting an
// in-place edit: only a click on the selected item while the guard is Open
// arms the edit.
enum class TEditGuard {
    Open = 0,       // a click on the selected item arms the edit
    FocusClick = 1, // the next click on it only focuses
    Away = 2,       // the focus went elsewhere (the column getting it back leaves FocusClick)
};
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };

// Width in pixels of a bar edge: 0, 1 or 2.
constexpr int edgeWidth(TEdgeStyle style)
{
    return style == sesNone ? 0 : (style == sesLine ? 1 : 2);
}

// One row of a column: the line it belongs to and the item whose block it is
// part of (-1 for a plain line row).
struct TSkedRow {
    int Line = -1;
    int Item = -1;
    bool operator==(const TSkedRow&) const = default;
};

// MIME type of an item dragged out of a day column. Only columns accept it.
inline constexpr const char* skedItemMimeType = "application/x-nox-sked-item";

// --- internal change notifications (owner <- appearance object) ---
using TChangeNotify = std::function<void()>;

// --- standard control events ---
using TNotifyEvent = std::function<void(QObject* Sender)>;
using TMouseEvent =
    std::function<void(QObject* Sender, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;
// Key is a Qt::Key value; setting it to 0 stops further handling.
using TKeyEvent = std::function<void(QObject* Sender, int& Key, Qt::KeyboardModifiers Shift)>;
// Key is the typed character; setting it to QChar() drops it.
using TKeyPressEvent = std::function<void(QObject* Sender, QChar& Key)>;
using TContextPopupEvent = std::function<void(QObject* Sender, QPoint MousePos, bool& Handled)>;
using TMouseWheelEvent = std::function<void(QObject* Sender, Qt::KeyboardModifiers Shift, int WheelDelta,
                                            QPoint MousePos, bool& Handled)>;
// The schedule an item drag carries: its day and ID.
struct TSkedDragItem {
    QDate day;
    qint32 id = 0;
    bool operator==(const TSkedDragItem&) const = default;
};
// An item drag over a column or its drop there: the schedule dragged, the
// column's day and the line under the pointer (-1 none), whether Ctrl asks
// for a copy, and the stage (a leave carries no schedule).
struct TSkedDrop {
    TSkedDragItem item;
    QDate to;
    int line = -1;
    bool copy = false;
    TDragState state = dsDragMove;
};
// Over: true accepts the drag at this place (the drop row is marked).
using TDragDropEvent = std::function<void(QObject* Sender, const TSkedDrop& Drop)>;
using TDragOverEvent = std::function<bool(QObject* Sender, const TSkedDrop& Drop)>;
// Target: the widget the item was dropped on, nullptr when the drag was cancelled.
using TEndDragEvent = std::function<void(QObject* Sender, QObject* Target, int X, int Y)>;
// DragObject: the MIME data about to be dragged (already holding the item's
// private record). The handler may add formats or replace it; a replacement
// is owned by the drag, the one it replaces is deleted.
using TStartDragEvent = std::function<void(QObject* Sender, QMimeData*& DragObject)>;

// --- day column events ---
using TSkedEvent = std::function<void(QObject* Sender, TLineItem* Line, TSkedItem* Item)>;
using TSkedItemEvent = std::function<void(QObject* Sender, TSkedItem* Item)>;
using TSkedEditedEvent = std::function<void(QObject* Sender, TSkedItem* Item, QString& S)>;
using TSkedEditingEvent = std::function<void(QObject* Sender, TSkedItem* Item, bool& AllowEdit)>;
using TSkedDrawItemEvent = std::function<void(QObject* Sender, TSkedItem* Item, const QRect& Rect)>;

// --- multi-day control events (Sender: the control; Sked: the column) ---
using TSkedControlEvent = std::function<void(QObject* Sender, TSked* Sked)>;
using TSkedControlContextPopupEvent =
    std::function<void(QObject* Sender, TSked* Sked, QPoint MousePos, bool& Handled)>;
using TSkedControlMouseEvent = std::function<void(QObject* Sender, TSked* Sked, Qt::MouseButton Button,
                                                  Qt::KeyboardModifiers Shift, int X, int Y)>;
using TSkedControlMouseMoveEvent =
    std::function<void(QObject* Sender, TSked* Sked, Qt::KeyboardModifiers Shift, int X, int Y)>;
using TSkedControlKeyEvent =
    std::function<void(QObject* Sender, TSked* Sked, int& Key, Qt::KeyboardModifiers Shift)>;
using TSkedControlKeyPressEvent = std::function<void(QObject* Sender, TSked* Sked, QChar& Key)>;
using TSkedControlDragDropEvent = std::function<void(QObject* Sender, const TSkedDrop& Drop)>;
using TSkedControlDragOverEvent = std::function<bool(QObject* Sender, const TSkedDrop& Drop)>;
using TSkedControlEndDragEvent =
    std::function<void(QObject* Sender, QObject* Target, TSked* Sked, int X, int Y)>;
using TSkedControlStartDragEvent = std::function<void(QObject* Sender, TSked* Sked, QMimeData*& DragObject)>;
using TSkedControlSelectItemEvent =
    std::function<void(QObject* Sender, TSked* Sked, TLineItem* Line, TSkedItem* Item)>;
// The text the schedule's item was edited to; returns the text it then shows.
using TSkedControlEditedEvent =
    std::function<QString(QObject* Sender, const QDate& Day, qint32 ID, const QString& S)>;
using TSkedControlEditingEvent =
    std::function<void(QObject* Sender, TSked* Sked, TSkedItem* Item, bool& AllowEdit)>;
using TSkedControlDrawItemEvent =
    std::function<void(QObject* Sender, TSked* Sked, TSkedItem* Item, const QRect& Rect)>;
// A handle drag gave the schedule the lines StartLine..EndLine.
using TSkedControlLineDropEvent =
    std::function<void(QObject* Sender, const QDate& Day, qint32 ID, int StartLine, int EndLine)>;
using TSkedControlMouseWheelEvent = std::function<void(QObject* Sender, Qt::KeyboardModifiers Shift,
                                                       int WheelDelta, QPoint MousePos, bool& Handled)>;

} // namespace nox::sked
