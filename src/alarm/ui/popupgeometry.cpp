#include "alarm/ui/popupgeometry.h"

#include <QtGlobal>

namespace nox
{

int PopupHeightAtStep(int step, int targetHeight)
{
    if (step <= 0 || targetHeight <= 0) {
        return 0;
    }
    const int grown = step * kPopupGrowStep;
    return grown <= targetHeight ? grown : targetHeight;
}

bool PopupGrownAtStep(int step, int targetHeight)
{
    // The step that would overshoot the target is the one that completes it.
    return step * kPopupGrowStep > qMax(0, targetHeight);
}

QRect PopupWindowRect(const QRect& screen, const QRect& available, int corner, const QSize& size, int step)
{
    const QRect area = available.isValid() ? available : screen;
    const int w = size.width();
    const int h = PopupHeightAtStep(step, size.height());
    const int leftX = area.x() + 1;
    const int rightX = area.x() + area.width() - w - 1;
    const int topY = area.y() + 1;
    const int bottomEdge = area.y() + area.height() - 1; // exclusive
    switch (corner) {
    case pcTopLeft:
        return {leftX, topY, w, h};
    case pcBottomLeft:
        return {leftX, bottomEdge - h, w, h};
    case pcTopRight:
        return {rightX, topY, w, h};
    case pcBottomRight:
        return {rightX, bottomEdge - h, w, h};
    default:
        return {screen.x() + kPopupDesignLeft, screen.y() + kPopupDesignTop, w, h};
    }
}

} // namespace nox
