#pragma once
// The frame of the day columns, the shared scroll area and the month grid
// (QFrame::WinPanel), drawn with filled rows and columns of pixels rather
// than the style's one-pixel polylines, which the raster engine puts down a
// pixel at a time: the same pixels at a fraction of the cost, on every
// repaint of these views.
class QEvent;
class QFrame;
class QPainter;

namespace nox
{

// Draws `frame`'s frame with `p` when it is a sunken or raised WinPanel and
// returns true; otherwise draws nothing and returns false (the caller lets
// QFrame draw it).
bool drawWinPanelFrame(const QFrame& frame, QPainter& p);

// For a QAbstractScrollArea without a horizontal scroll bar (so without the
// corner it paints): handles its paint event `e` when its frame is a
// WinPanel and returns true; false leaves the event to the scroll area.
bool paintWinPanelFrame(QFrame& frame, QEvent* e);

} // namespace nox
