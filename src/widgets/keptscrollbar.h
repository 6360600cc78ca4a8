#pragma once
// TKeptScrollBar: a scroll bar that keeps the pictures of its recent looks.
// The style draws a scroll bar with gradients and rounded, smoothed shapes,
// which costs as much as the rest of a day view's step when its range
// changes with the rows of the days shown; stepping back and forth brings
// the same few looks again. While the pointer is away from the bar (no part
// of it hovered or pressed), each look is drawn once and then copied.
#include <QScrollBar>

namespace nox
{

class TKeptScrollBar : public QScrollBar
{
public:
    explicit TKeptScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace nox
